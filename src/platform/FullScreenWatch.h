#pragma once

#include <QObject>
#include <QRect>
#include <functional>
#include <memory>

// Tells when the active window goes full screen on a given monitor (a film,
// a game, a presentation) and when that ends. It reacts to the window
// manager's property changes, never polls. One backend per platform, chosen
// in CMake; where there is no X11 it reports nothing.
class FullScreenWatch : public QObject {
    Q_OBJECT

public:
    // `monitor` gives the screen area that counts, asked at every change.
    explicit FullScreenWatch(std::function<QRect()> monitor, QObject* parent = nullptr);
    ~FullScreenWatch() override;

    bool isWatching() const;
    bool isFullScreen() const { return m_fullScreen; }

Q_SIGNALS:
    void fullScreenChanged(bool fullScreen);

private:
    class Backend;
    void report(bool fullScreen);

    std::function<QRect()> m_monitor;
    std::unique_ptr<Backend> m_backend;
    bool m_fullScreen = false;
};
