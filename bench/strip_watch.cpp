// Watches the running tutor's strip as a person sees it: grabs the strip
// window's pixels every 10 ms, notes when a line appears and when it goes,
// and prints the display cycle's length and each language's time. The
// events go to the standard error, in milliseconds since the epoch.
//   strip_watch WINDOW_ID SECONDS ITALIAN_SECONDS ENGLISH_SECONDS ITALIAN_FIRST
#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSampleMs = 10;
constexpr int kTextEnd = 456;     // pixels: the menu picture starts here (6840 twips)
constexpr int kTextTop = 2;       // below the hairline
constexpr int kItalianBelow = 12; // pixels: the English line comes up from below this
constexpr int kBright = 200;      // the lines are white on the desktop colour
constexpr qint64 kTickMs = 100;
constexpr qint64 kScrollStepMs = 80; // the Italian line shows at the scroll's first step

// The topmost row with line pixels, or -1 when no line is up.
int topmostText(const QImage& image)
{
    for (int y = kTextTop; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < std::min(kTextEnd, image.width()); ++x)
            if (qRed(row[x]) > kBright && qGreen(row[x]) > kBright && qBlue(row[x]) > kBright)
                return y;
    }
    return -1;
}

struct Figure {
    const char* name;
    qint64 rule;
    std::vector<qint64> seen;
};

double seconds(qint64 ms)
{
    return static_cast<double>(ms) / 1000.0;
}

void report(const Figure& figure)
{
    if (figure.seen.empty()) {
        std::printf("%-40s rule %6.2f s: not seen\n", figure.name, seconds(figure.rule));
        return;
    }
    std::vector<qint64> s = figure.seen;
    std::sort(s.begin(), s.end());
    const auto error = [&](qint64 v) {
        return 100.0 * static_cast<double>(v - figure.rule) / static_cast<double>(figure.rule);
    };
    std::printf("%-40s rule %6.2f s: median %6.2f s (%.2f..%.2f), n %zu, error %+.2f%% "
                "(%+.2f..%+.2f%%)\n",
                figure.name, seconds(figure.rule), seconds(s[s.size() / 2]), seconds(s.front()),
                seconds(s.back()), s.size(), error(s[s.size() / 2]), error(s.front()),
                error(s.back()));
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 6) {
        std::fprintf(stderr,
                     "usage: strip_watch WINDOW_ID SECONDS ITALIAN ENGLISH ITALIAN_FIRST\n");
        return 2;
    }
    const WId window = QByteArray(argv[1]).toULongLong(nullptr, 0);
    const qint64 endMs = QByteArray(argv[2]).toLongLong() * 1000;
    const qint64 italianMs = QByteArray(argv[3]).toLongLong() * 1000;
    const qint64 englishMs = QByteArray(argv[4]).toLongLong() * 1000;
    const bool italianFirst = QByteArray(argv[5]).toInt() == 1;

    // Each language's phase runs from the step that clears the other line
    // to the step that clears its own; the cycle from one end to the next.
    Figure cycle{"cycle (end to end)", italianMs + englishMs + 2 * kTickMs, {}};
    Figure italianPhase{"Italian phase (other line off to off)", italianMs + kTickMs, {}};
    Figure englishPhase{"English phase (other line off to off)", englishMs + kTickMs, {}};
    Figure italianShown{
        "Italian line on screen", italianMs + (italianFirst ? 0 : kTickMs) - kScrollStepMs, {}};

    QScreen* screen = app.primaryScreen();
    QElapsedTimer clock;
    clock.start();
    const qint64 epochMs = QDateTime::currentMSecsSinceEpoch();
    bool first = true, up = false, italian = false, unseen = false;
    qint64 upAt = -1, otherOffAt = -1, endAt = -1;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    sampler.setInterval(kSampleMs);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (now >= endMs) {
            app.quit();
            return;
        }
        const QImage image =
            screen->grabWindow(window).toImage().convertToFormat(QImage::Format_RGB32);
        const int top = topmostText(image);
        if (first) { // a line already up was not seen coming: it counts for nothing
            first = false;
            up = unseen = top >= 0;
            return;
        }
        if ((top >= 0) == up)
            return;
        up = top >= 0;
        if (unseen) {
            unseen = false;
            return;
        }
        if (up) {
            // The Italian line scrolls in at its place; the English one slides up.
            italian = top < kItalianBelow;
            upAt = now;
            std::fprintf(stderr, "%lld %s up\n", epochMs + now, italian ? "Italian" : "English");
            return;
        }
        std::fprintf(stderr, "%lld %s off\n", epochMs + now, italian ? "Italian" : "English");
        if (italian && upAt >= 0)
            italianShown.seen.push_back(now - upAt);
        if (otherOffAt >= 0)
            (italian ? italianPhase : englishPhase).seen.push_back(now - otherOffAt);
        otherOffAt = now;
        if (italian != italianFirst) { // the second line goes: the cycle ends
            if (endAt >= 0)
                cycle.seen.push_back(now - endAt);
            endAt = now;
        }
    });
    sampler.start();
    app.exec();
    for (const Figure* figure : {&cycle, &italianPhase, &englishPhase, &italianShown})
        report(*figure);
    return 0;
}
