// The report tests paint with fonts and open print dialogs, so they run inside a QApplication
// (on the offscreen platform under CTest).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
