#pragma once

// The main of every test program: gtest's flags first, then a QApplication
// (widgets run on the offscreen platform unless told otherwise).
//
//   #include "testmain.h"
//   QDL_TEST_MAIN()

#include <QApplication>
#include <gtest/gtest.h>

inline int qdlTestMain(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

#define QDL_TEST_MAIN()                                                                             \
    int main(int argc, char** argv)                                                                 \
    {                                                                                               \
        return qdlTestMain(argc, argv);                                                             \
    }
