#pragma once

#include "platform/core/notification_center.h"
#include "platform/testing/manual_clock.h"
#include "platform/testing/scripted_alerts.h"
#include "vantir/core/preferences.h"
#include "vantir/core/repository.h"

#include <QTemporaryDir>

#include <deque>
#include <gtest/gtest.h>

namespace vantir::testing {

QString str(const char* text);

/// Save and open panels that answer from a script and remember what they were asked.
class ScriptedFilePanels final : public FilePanels {
public:
    std::optional<QString> runSavePanel(const FilePanelRequest& request) override;
    std::optional<QString> runOpenPanel(const FilePanelRequest& request) override;

    std::deque<std::optional<QString>> answers;
    std::vector<FilePanelRequest> asked;
};

/// A clean model for each test: an empty action registry, a model context with a manual clock
/// for dates and a notification centre of its own, defaults and an archive folder in a
/// temporary folder, scripted alerts and panels, captured log lines.
class ModelTest : public ::testing::Test {
protected:
    ModelTest();
    ~ModelTest() override;

    QString folder() const { return m_folder.path(); }
    QString archivePath() const { return folder() + str("/data/archive.xml"); }
    QString desktop() const { return folder() + str("/Desktop"); }
    static QString fixture(const char* name);
    /// Puts the fixture `name` in place as the user's archive.
    void installArchive(const char* name);
    void installArchiveBytes(const QByteArray& bytes);
    /// A repository on the temporary folder, not yet loaded.
    std::unique_ptr<VNTRepository> makeRepository(LoadMode mode = LoadMode::Program);
    /// The archive file as it is on disk now.
    Value archiveOnDisk() const;
    bool logged(const QString& line) const;

    platform::doubles::ScriptedAlerts alerts;
    ScriptedFilePanels panels;
    platform::doubles::ManualClock clock;
    platform::NotificationCenter notifications;
    std::unique_ptr<platform::Defaults> defaults;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<ModelContext> model;
    QStringList logLines;

private:
    QTemporaryDir m_folder;
};

} // namespace vantir::testing
