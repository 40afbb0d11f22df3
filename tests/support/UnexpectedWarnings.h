#pragma once

#include <QRegularExpression>
#include <QTest>

// Called from each test class's init(): a Qt warning the running test does
// not expect (QTest::ignoreMessage) fails it. The one exception is the
// offscreen test platform's notice that it cannot raise a window or set its
// mask, which says nothing about the code under test.
inline void failOnUnexpectedWarnings()
{
    QTest::failOnWarning(QRegularExpression("^(?!This plugin does not support ).*"));
}
