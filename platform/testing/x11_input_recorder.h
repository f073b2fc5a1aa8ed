#pragma once

#include "platform/testing/recording_event_poster.h"

#include <QPoint>
#include <QString>
#include <QStringList>

typedef struct _XDisplay Display;

namespace platform::doubles {

/// A connection of its own to the display named by $DISPLAY, closed with the object; null when
/// there is no server. Tests post on one and watch on another, as separate programs would.
class DisplayConnection {
public:
    DisplayConnection();
    ~DisplayConnection();
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    Display* get() const { return m_display; }

private:
    Display* m_display = nullptr;
};

/// Watches, on a connection of its own, the input the X server receives from any client, the
/// way another program on the desktop would see it: raw key and button events through
/// XInput 2, and the pointer's moves with the buttons held during each, in the words of
/// recording_event_poster.h.
class X11InputRecorder {
public:
    /// Opens the display named by $DISPLAY. `isRecording()` is false when that fails or the
    /// server lacks XInput 2.
    X11InputRecorder();
    ~X11InputRecorder();
    X11InputRecorder(const X11InputRecorder&) = delete;
    X11InputRecorder& operator=(const X11InputRecorder&) = delete;

    bool isRecording() const { return m_recording; }
    Display* display() const { return m_display; }

    /// Every event received since the last call. `poster` is the connection the events were
    /// posted on: a round trip on it and one on ours make sure the server has handled and
    /// delivered everything posted before the call.
    QStringList takeEvents(Display* poster);

    /// Only the keys and buttons among `events`.
    static QStringList keysAndButtons(const QStringList& events);

private:
    Display* m_display = nullptr;
    int m_opcode = 0;
    bool m_recording = false;
};

} // namespace platform::doubles
