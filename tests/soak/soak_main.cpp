// GoogleTest entry with a QCoreApplication: the serial port's notifiers want one, and the
// real-time run turns its event loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
