// GoogleTest entry with a QCoreApplication: QSerialPort's socket notifiers want one, as they
// have one in the program, even though the tests never run its event loop.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
