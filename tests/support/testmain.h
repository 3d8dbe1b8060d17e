#pragma once

// The main of every test program: gtest's flags first, then a QApplication
// (widgets run on the offscreen platform unless told otherwise).
//
//   #include "testmain.h"
//   QDL_TEST_MAIN()
//
// A program that must prepare something once gtest knows its flags (an event
// listener, say) names a function to run before the tests:
//
//   QDL_TEST_MAIN_WITH(addFigureReporter)

#include <QApplication>
#include <gtest/gtest.h>

#include "historywriter.h"

inline int qdlTestMain(int argc, char** argv, void (*beforeTests)() = nullptr)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    nameHistoryWriterOfEverySession(); // as qdl-host does
    if (beforeTests)
        beforeTests();
    return RUN_ALL_TESTS();
}

#define QDL_TEST_MAIN()                                                                             \
    int main(int argc, char** argv)                                                                 \
    {                                                                                               \
        return qdlTestMain(argc, argv);                                                             \
    }

#define QDL_TEST_MAIN_WITH(beforeTests)                                                             \
    int main(int argc, char** argv)                                                                 \
    {                                                                                               \
        return qdlTestMain(argc, argv, beforeTests);                                                \
    }
