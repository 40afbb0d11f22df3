#include "playback/SentenceScheduler.h"

#include "content/Numbering.h"

#include <chrono>

using namespace Numbering;

namespace {

std::uint32_t clockSeed()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(now ^ (now >> 32));
}

// Every number formed here lies in the corpus range, far inside 16 bits.
qint16 narrow(int n)
{
    Q_ASSERT(n >= 0 && n <= 0x7fff);
    return static_cast<qint16>(n);
}

} // namespace

SentenceScheduler::SentenceScheduler() : SentenceScheduler(clockSeed()) {}

SentenceScheduler::SentenceScheduler(std::uint32_t seed) : m_random(seed) {}

SentenceScheduler::Choice SentenceScheduler::next(PlaybackState& state)
{
    // A topic outside 1..10 can only come from a damaged file; the store
    // already falls back, and here it plays the whole course.
    const int topic = isTopic(state.topic) ? state.topic : 0;
    if (state.playMode != 0) {
        const qint16 n = topic ? nextInTopic(state, topic) : nextInCourse(state);
        state.nextSentence = narrow(n + 1);
        return {n, true};
    }
    m_randomSentence = topic ? randomInTopic(topic) : randomInCourse();
    return {m_randomSentence, false};
}

qint16 SentenceScheduler::nextInTopic(PlaybackState& state, int topic)
{
    const int n = state.nextSentence;
    // Off the topic's page, past its last line, or on its line 0 (such as the
    // first-run 11000): start again at the topic's first line.
    if (page(n) != topic || n > lastOfTopic(topic) || line(n) == 0)
        return narrow(firstOfTopic(topic));
    return narrow(n);
}

qint16 SentenceScheduler::nextInCourse(PlaybackState& state)
{
    int n = state.nextSentence;
    if (line(n) > kLinesPerPage)
        n = nextPageStart(n);
    else if (line(n) == 0)
        n = sentence(page(n), 1);
    // After the last line of the course, or from a position outside it,
    // the course starts again at its first sentence.
    if (!isSentence(n))
        n = kCourseStart;
    return narrow(n);
}

qint16 SentenceScheduler::randomInTopic(int topic)
{
    std::uniform_int_distribution<int> lineDraw(1, kLinesPerPage);
    return narrow(sentence(topic, lineDraw(m_random)));
}

qint16 SentenceScheduler::randomInCourse()
{
    std::uniform_int_distribution<int> lineDraw(1, kLinesPerPage);
    std::uniform_int_distribution<int> pageDraw(kFirstPage, kLastPage);
    const int l = lineDraw(m_random);
    return narrow(sentence(pageDraw(m_random), l));
}
