// Runs GoogleTest inside a QCoreApplication: the logic tests use Qt Core's
// event loop and types, and no window system.
#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
