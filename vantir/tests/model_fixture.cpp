#include "vantir/tests/model_fixture.h"

#include "platform/core/file_io.h"
#include "platform/core/log.h"
#include "platform/core/property_list.h"

#include <QDir>
#include <QFile>

namespace vantir::testing {

QString str(const char* text) {
    return QString::fromUtf8(text);
}

std::optional<QString> ScriptedFilePanels::runSavePanel(const FilePanelRequest& request) {
    return runOpenPanel(request);
}

std::optional<QString> ScriptedFilePanels::runOpenPanel(const FilePanelRequest& request) {
    asked.push_back(request);
    if (answers.empty())
        return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

ModelTest::ModelTest() {
    VNTAction::cleanupUUIDs();
    VNTAction::setIgnoreUUID(false);
    defaults = std::make_unique<platform::Defaults>(str("Vantir"), folder() + str("/config"));
    preferences = std::make_unique<Preferences>(*defaults, notifications);
    model = std::make_unique<ModelContext>(clock, notifications, preferences.get());
    platform::setLogSink([this](const QString& line) { logLines.append(line); });
    QDir().mkpath(desktop());
}

ModelTest::~ModelTest() {
    platform::setLogSink({});
    model.reset();
    VNTAction::cleanupUUIDs();
}

QString ModelTest::fixture(const char* name) {
    return str(VANTIR_FIXTURES "/") + str(name);
}

void ModelTest::installArchive(const char* name) {
    auto bytes = platform::readFile(fixture(name));
    ASSERT_TRUE(bytes) << bytes.error().toStdString();
    installArchiveBytes(*bytes);
}

void ModelTest::installArchiveBytes(const QByteArray& bytes) {
    ASSERT_TRUE(platform::writeFileAtomically(archivePath(), bytes));
}

std::unique_ptr<VNTRepository> ModelTest::makeRepository(LoadMode mode) {
    RepositoryServices services;
    services.alerts = &alerts;
    services.panels = &panels;
    services.archiveFolder = folder() + str("/data");
    services.desktopFolder = desktop();
    services.mode = mode;
    return std::make_unique<VNTRepository>(*model, services);
}

Value ModelTest::archiveOnDisk() const {
    auto bytes = platform::readFile(archivePath());
    if (!bytes)
        return {};
    auto value = platform::readPropertyList(*bytes);
    return value ? *value : Value();
}

bool ModelTest::logged(const QString& line) const {
    return logLines.contains(line);
}

} // namespace vantir::testing
