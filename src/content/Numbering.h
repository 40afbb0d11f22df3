#pragma once

#include <QtGlobal>

// How sentence numbers map onto pages, lines and topics.
// Italian text n lives at key n (10101..11928); its English text at n + 10000.
namespace Numbering {

inline constexpr int kFirstPage = 1;
inline constexpr int kLastPage = 19;
inline constexpr int kLinesPerPage = 28;
inline constexpr int kTopicCount = 10; // topics 1..10; 0 is "Entire"
inline constexpr int kEnglishOffset = 10000;
inline constexpr qint16 kCourseStart = 10101; // first sentence of the course
inline constexpr qint16 kCourseEnd = 11928;   // last sentence of the course

// Floor division, so numbers below 10000 still land on a (non-corpus) page.
constexpr int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr int page(int n)
{
    return floorDiv(n - 10000, 100);
}
constexpr int line(int n)
{
    return n - floorDiv(n, 100) * 100;
}
constexpr int sentence(int page, int line)
{
    return 10000 + 100 * page + line;
}
constexpr int englishKey(int n)
{
    return n + kEnglishOffset;
}

constexpr bool isTopic(int t)
{
    return t >= 1 && t <= kTopicCount;
}
constexpr int firstOfTopic(int t)
{
    return t * 100 + 10001;
}
constexpr int lastOfTopic(int t)
{
    return t * 100 + 10028;
}
// First sentence of the page after the page of n (10129 leads to 10201).
constexpr int nextPageStart(int n)
{
    return (page(n) + 101) * 100 + 1;
}

constexpr bool isSentence(int n)
{
    return page(n) >= kFirstPage && page(n) <= kLastPage && line(n) >= 1 &&
           line(n) <= kLinesPerPage;
}

} // namespace Numbering
