// Script actions and the program's script templates, run by the real shell.

#include "platform/core/file_io.h"
#include "vantir/core/script_action.h"
#include "vantir/tests/model_fixture.h"
#include "vantir/tests/scripted_timed_alerts.h"

#include <QDir>
#include <QFile>
#include <QTimer>

using namespace vantir;
using namespace vantir::testing;

namespace {

class ScriptTest : public ModelTest {
protected:
    VNTAction newScript(const QString& source) {
        const VNTAction action(VNTMutableDictionary::newInstance(str("VNTAAppleScript")));
        action.setStoredObject(source, str("script"));
        return action;
    }
    bool perform(const QString& source) { return performer.perform(newScript(source)); }
    QString alertText() const {
        return timedAlerts.shown.empty() ? QString() : timedAlerts.shown.back().message;
    }

    ScriptedTimedAlerts timedAlerts;
    int runs = 0;
    ScriptPerformer performer{timedAlerts, *defaults,
                              [this](const QString& script, double timeout) {
                                  ++runs;
                                  return runScript(script, timeout);
                              }};
};

TEST(ScriptInterpreter, IsTheFirstLinesInterpreterOrTheShell) {
    EXPECT_EQ(interpreterFor(str("echo hi")), QStringList{str("/bin/sh")});
    EXPECT_EQ(interpreterFor(str("#!/bin/bash\necho hi")), QStringList{str("/bin/bash")});
    EXPECT_EQ(interpreterFor(str("#! /usr/bin/env python3 -u \nprint(1)")),
              (QStringList{str("/usr/bin/env"), str("python3 -u")}));
    EXPECT_EQ(interpreterFor(str("#!")), QStringList{str("/bin/sh")});
    EXPECT_EQ(interpreterFor(str("")), QStringList{str("/bin/sh")});
}

TEST(ScriptSyntax, IsCheckedByTheInterpretersOwnCheck) {
    EXPECT_EQ(checkScriptSyntax(str("echo fine\n")).outcome, SyntaxCheck::Outcome::Correct);
    const SyntaxCheck shell = checkScriptSyntax(str("if true; then\necho never closed\n"));
    EXPECT_EQ(shell.outcome, SyntaxCheck::Outcome::Faulty);
    EXPECT_TRUE(shell.message.startsWith(str("script:"))) << shell.message.toStdString();
    EXPECT_TRUE(shell.message.contains(str("Syntax error"))) << shell.message.toStdString();

    EXPECT_EQ(checkScriptSyntax(str("#!/bin/bash\n[[ -n x ]] && echo ok\n")).outcome,
              SyntaxCheck::Outcome::Correct);
    const SyntaxCheck python = checkScriptSyntax(str("#!/usr/bin/env python3\nprint(\n"));
    EXPECT_EQ(python.outcome, SyntaxCheck::Outcome::Faulty);
    EXPECT_TRUE(python.message.startsWith(str("line "))) << python.message.toStdString();
    EXPECT_EQ(checkScriptSyntax(str("#!/usr/bin/awk -f\n{ print }\n")).outcome,
              SyntaxCheck::Outcome::NotCheckable);
    // Checking runs nothing.
    QTemporaryDir folder;
    const QString marker = folder.path() + str("/ran");
    EXPECT_EQ(checkScriptSyntax(str("touch ") + marker).outcome, SyntaxCheck::Outcome::Correct);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(ScriptTest, ASuccessfulScriptAnswersYesWithoutAnAlert) {
    QTemporaryDir folder;
    const QString marker = folder.path() + str("/ran");
    EXPECT_TRUE(perform(str("touch ") + shellQuoted(marker)));
    EXPECT_TRUE(QFile::exists(marker));
    EXPECT_TRUE(timedAlerts.shown.empty());
}

TEST_F(ScriptTest, DontPerformActionRunsNothing) {
    defaults->setBool(true, str("DontPerformAction"));
    EXPECT_FALSE(perform(str("true")));
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(timedAlerts.shown.empty());
}

TEST_F(ScriptTest, AFailureIsShownWithTheFirstLineOfItsErrorsForFiveSeconds) {
    EXPECT_FALSE(perform(str("echo 'no such printer' >&2\necho second >&2\nexit 3")));
    ASSERT_EQ(timedAlerts.shown.size(), 1u);
    const TimedAlert& alert = timedAlerts.shown[0];
    EXPECT_EQ(alert.title, str("Vantir Alert"));
    EXPECT_EQ(alert.message, str("Error while executing an AppleScript action:\n\nno such "
                                 "printer\n\nPlease check the syntax of the script!"));
    EXPECT_EQ(alert.defaultButton, str("OK"));
    EXPECT_EQ(alert.seconds, 5);
}

TEST_F(ScriptTest, ASyntaxErrorNamesTheScriptAndAFailureWithoutWordsCountsAsCanceled) {
    EXPECT_FALSE(perform(str("if then fi")));
    EXPECT_TRUE(alertText().contains(str("script: 1: Syntax error"))) << alertText().toStdString();
    EXPECT_FALSE(perform(str("exit 1")));
    EXPECT_EQ(alertText(), str("Error while executing an AppleScript action:\n\nAppleScript was "
                               "canceled"));
}

TEST_F(ScriptTest, AppleScriptFromAnOldArchiveIsCalledSoPlainly) {
    EXPECT_FALSE(perform(str("tell application \"iTunes\"\n  playpause\nend tell")));
    EXPECT_TRUE(alertText().contains(str("written in AppleScript, which does not run on this "
                                         "system")))
        << alertText().toStdString();
}

TEST_F(ScriptTest, AScriptPastItsLimitIsStoppedWhileTheEventLoopTurns) {
    defaults->setInteger(1, kScriptTimeoutKey);
    ScriptPerformer offMainThread(timedAlerts, *defaults, scriptExecutorOffMainThread());
    bool timerFired = false;
    QTimer::singleShot(0, [&timerFired] { timerFired = true; });
    EXPECT_FALSE(offMainThread.perform(newScript(str("sleep 1000 & wait"))));
    EXPECT_TRUE(timerFired) << "the event loop stood still while the script ran";
    EXPECT_TRUE(alertText().contains(str("The script ran longer than 1 seconds and was stopped.")))
        << alertText().toStdString();
}

TEST_F(ScriptTest, AScriptThatPrintsMegabytesEndsNormally) {
    EXPECT_TRUE(perform(str("head -c 20000000 /dev/zero; head -c 5000000 /dev/zero >&2")));
    EXPECT_TRUE(timedAlerts.shown.empty());
}

// The announcement template runs against a stand-in for espeak-ng that writes down the
// arguments it was given, one per line-free record.
class AnnounceTest : public ModelTest {
protected:
    AnnounceTest() {
        const QString speaker = tools.path() + str("/espeak-ng");
        EXPECT_TRUE(platform::writeFileAtomically(
            speaker, QByteArray("#!/bin/sh\nprintf '%s\\0' \"$@\" > \"$SPEECH_RECORD\"\n")));
        QFile::setPermissions(speaker, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        savedPath = qgetenv("PATH");
        qputenv("PATH", tools.path().toLocal8Bit() + ':' + savedPath);
        qputenv("SPEECH_RECORD", record().toLocal8Bit());
    }
    ~AnnounceTest() override {
        qputenv("PATH", savedPath);
        qunsetenv("SPEECH_RECORD");
    }
    QString record() const { return tools.path() + str("/spoken"); }
    QStringList spoken() const {
        const auto bytes = platform::readFile(record());
        if (!bytes)
            return {};
        QStringList arguments = QString::fromUtf8(*bytes).split(QLatin1Char('\0'));
        arguments.removeLast();
        return arguments;
    }

    QTemporaryDir tools;
    QByteArray savedPath;
    VantirASHandler handler{platform::Resources(str("vantir")), *defaults,
                            [](const QString& script, double timeout) {
                                return runScript(script, timeout);
                            }};
};

TEST_F(AnnounceTest, ArgumentsAreFilledInAsQuotedWords) {
    const auto text = handler.filledTemplate(
        str("Announce"), {{str("speech"), str("OK")}, {str("volume"), str("40")}});
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->contains(str("text='OK'\n")));
    EXPECT_TRUE(text->contains(str("volume='40'\n")));
    EXPECT_TRUE(text->contains(str("voice=%voice\n")));
}

TEST_F(AnnounceTest, SpeaksTheTextWithTheVoiceAtTheVolume) {
    EXPECT_TRUE(handler.callScriptNamed(
        str("Announce"),
        {{str("speech"), str("Music")}, {str("voice"), str("en-us")}, {str("volume"), str("40")}}));
    EXPECT_EQ(spoken(), (QStringList{str("-v"), str("en-us"), str("-a"), str("80"), str("--"),
                                     str("Music")}));
}

TEST_F(AnnounceTest, HostileLayerNamesAreSpokenNeverRun) {
    const QString pwned = tools.path() + str("/pwned");
    const QStringList names{
        str("\"; touch ") + pwned + str(" #"),
        str("'; touch ") + pwned + str("; '"),
        str("$(touch ") + pwned + str(")"),
        str("`touch ") + pwned + str("`"),
        str("x\ntouch ") + pwned + str(" #"),
        str("-a 0 --help"),
        str("%voice"),
    };
    for (const QString& name : names) {
        EXPECT_TRUE(
            handler.callScriptNamed(str("Announce"), {{str("speech"), name},
                                                      {str("voice"), str("; touch ") + pwned},
                                                      {str("volume"), str("$(reboot)")}}))
            << name.toStdString();
        EXPECT_EQ(spoken().value(5), name);
        EXPECT_EQ(spoken().value(1), str("; touch ") + pwned);
        EXPECT_EQ(spoken().value(3), str("80")) << "a volume that is no number reads as 40";
        EXPECT_FALSE(QFile::exists(pwned)) << name.toStdString();
    }
}

TEST_F(AnnounceTest, AMissingTemplateIsLoggedAndAnswersNo) {
    EXPECT_FALSE(handler.callScriptNamed(str("NoSuchTemplate"), {{str("speech"), str("x")}}));
    EXPECT_TRUE(logged(str("VantirASHandler::callScriptNamed: could not read from script "
                           "'NoSuchTemplate'")));
    EXPECT_TRUE(alerts.shown.empty());
}

TEST_F(AnnounceTest, ResultsAreTheScriptsOutput) {
    EXPECT_EQ(handler.resultFromPerformScript(str("echo hello")), str("hello\n"));
    EXPECT_EQ(handler.resultString(), str("hello\n"));
    EXPECT_EQ(handler.resultFromPerformScript(str("echo bad >&2; exit 2")), std::nullopt);
    EXPECT_TRUE(logged(str("VantirASHandler::performScript: errorDict exit status 2: bad")));
    EXPECT_EQ(handler.resultString(), str("hello\n"));
}

} // namespace
