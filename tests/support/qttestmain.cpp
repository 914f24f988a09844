// The entry of every test program that needs a Qt application object: the screens, the reports
// and the server's child processes. The tests run on real widgets under the offscreen platform,
// so they never need a display.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
