// The report tests paint with fonts and open print dialogs, so they run inside a QApplication.
// They never need a display: without a platform chosen (as when CTest lists the cases) they use
// the offscreen one.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
