// The whole program on an X server, its remote fed through a FIFO: each decided button press
// performs the actions its layer binds, and the server receives exactly the input they
// describe, watched from outside the program as any other client would.

#include "platform/core/virtual_key_codes.h"
#include "platform/testing/recording_event_poster.h"
#include "platform/testing/wait.h"
#include "platform/testing/x11_input_recorder.h"
#include "vantir/tests/remote_fifo_program.h"

#include <QFile>

#include <csignal>
#include <gtest/gtest.h>
#include <linux/input.h>

using platform::doubles::buttonWord;
using platform::doubles::virtualKeyWord;
using platform::doubles::waitUntil;
using platform::doubles::X11InputRecorder;

namespace {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

QString trigger(int osdb, const char* uuid) {
    return str("<dict><key>class</key><string>VNTTriggerAppleRemote</string><key>osdb</key>"
               "<integer>%1</integer><key>childs</key><array><dict><key>class</key>"
               "<string>VNTTriggerAction</string><key>uuid</key><string>%2</string></dict>"
               "</array></dict>")
        .arg(osdb)
        .arg(str(uuid));
}

// Play types Shift+A, Plus runs a script that leaves a mark, Right turns the wheel three
// notches down, Left runs a script that hangs past its time limit.
QString archive(const QString& mark) {
    const QString actions =
        str("<dict><key>class</key><string>VNTAKeystroke</string><key>uuid</key><string>K</string>"
            "<key>name</key><string>Shift A</string><key>keyCode</key><integer>0</integer>"
            "<key>shiftDown</key><true/></dict>"
            "<dict><key>class</key><string>VNTAAppleScript</string><key>uuid</key><string>S</"
            "string>"
            "<key>name</key><string>Mark</string><key>script</key><string>echo ran &gt;&gt; '%1'"
            "</string></dict>"
            "<dict><key>class</key><string>VNTAMouse</string><key>uuid</key><string>W</string>"
            "<key>name</key><string>Wheel</string><key>mouseEventType</key><integer>2</integer>"
            "<key>scrollWheelAmount</key><integer>-3</integer></dict>"
            "<dict><key>class</key><string>VNTAAppleScript</string><key>uuid</key><string>H</"
            "string>"
            "<key>name</key><string>Hang</string><key>script</key><string>echo $$ &gt; '%1.pid'; "
            "sleep 60</string></dict>")
            .arg(mark);
    return str("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
               "<key>Version</key><integer>30</integer><key>Library</key><array><dict>"
               "<key>class</key><string>VNTMutableDictionary</string><key>name</key>"
               "<string>Test</string><key>childs</key><array><dict><key>class</key>"
               "<string>VNTMutableDictionary</string><key>name</key><string>Kinds</string>"
               "<key>childs</key><array>") +
           actions +
           str("</array></dict></array></dict></array><key>Remotes</key><array><dict>"
               "<key>class</key><string>VNTAppleRemote</string><key>childs</key><array><dict>"
               "<key>class</key><string>VNTTriggerLayer</string><key>name</key><string>Main"
               "</string><key>childs</key><array>") +
           trigger(1, "K") + trigger(3, "S") + trigger(5, "W") + trigger(6, "H") +
           str("</array></dict></array></dict></array></dict></plist>\n");
}

class ActionsProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(recorder.isRecording()) << "no X server with XInput 2";
        mark = vantir.path(str("mark"));
        ASSERT_TRUE(vantir.writeFile(str("data/Vantir/archive.xml"), archive(mark).toUtf8()));
        // No display window: posted buttons would land on it, under the pointer in the middle of
        // the screen, and a loaded server then withholds some of their raw events from others.
        vantir.start("<key>LookForUpdate</key><false/><key>ScriptTimeout</key><integer>1</integer>"
                     "<key>DebugMode</key><true/><key>ShowOSDAtStartup</key><false/>",
                     str("xcb"));
    }

    void click(int code) { vantir.click(code); }

    /// Waits until the server has delivered `count` key and button events in all.
    QStringList received(int count) {
        waitUntil(
            [&] {
                seen += X11InputRecorder::keysAndButtons(recorder.takeEvents(recorder.display()));
                return seen.size() >= count;
            },
            15000);
        return std::exchange(seen, {});
    }

    int marks() const {
        QFile file(mark);
        return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
    }

    X11InputRecorder recorder;
    vantir::testing::RemoteFifoProgram vantir;
    const QString& log = vantir.log;
    QString mark;
    QStringList seen;
};

} // namespace

TEST_F(ActionsProgram, EachDecidedPressPostsWhatItsActionDescribes) {
    using platform::vk::Shift;
    click(KEY_PLAYPAUSE);
    EXPECT_EQ(received(4), (QStringList{virtualKeyWord(Shift, true), virtualKeyWord(0x00, true),
                                        virtualKeyWord(0x00, false), virtualKeyWord(Shift, false)}))
        << log.toStdString();

    click(KEY_NEXTSONG);
    EXPECT_EQ(received(6),
              (QStringList{buttonWord(5, true), buttonWord(5, false), buttonWord(5, true),
                           buttonWord(5, false), buttonWord(5, true), buttonWord(5, false)}))
        << log.toStdString();

    // Plus reports press and release at once; one click is one decided event, one run.
    click(KEY_VOLUMEUP);
    EXPECT_TRUE(waitUntil([&] { return marks() == 1; }, 15000)) << log.toStdString();
}

TEST_F(ActionsProgram, AHangingScriptIsStoppedAtItsLimitAndTheRemoteStillAnswers) {
    click(KEY_BACK);
    QFile pidFile(mark + str(".pid"));
    ASSERT_TRUE(waitUntil([&] { return pidFile.exists() && pidFile.size() > 0; }, 15000))
        << log.toStdString();
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t script = pid_t(pidFile.readAll().trimmed().toInt());
    ASSERT_GT(script, 0);
    // The limit is one second; the script's shell is gone well before its own minute is up.
    EXPECT_TRUE(waitUntil([&] { return ::kill(script, 0) != 0; }, 15000));

    // Presses during the run and its error alert are dropped; the remote answers again after.
    QStringList keys;
    for (int attempt = 0; attempt < 30 && keys.isEmpty(); ++attempt) {
        click(KEY_PLAYPAUSE);
        waitUntil(
            [&] {
                keys += X11InputRecorder::keysAndButtons(recorder.takeEvents(recorder.display()));
                return keys.size() >= 4;
            },
            1000);
    }
    EXPECT_EQ(keys.mid(0, 4), (QStringList{virtualKeyWord(platform::vk::Shift, true),
                                           virtualKeyWord(0x00, true), virtualKeyWord(0x00, false),
                                           virtualKeyWord(platform::vk::Shift, false)}))
        << log.toStdString();
    EXPECT_EQ(vantir.program.state(), QProcess::Running);
}
