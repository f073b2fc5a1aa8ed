// Finding the display's HTML templates and filling in their placeholders.

#include "vantir/core/osd_templates.h"
#include "vantir/tests/model_fixture.h"

#include <QDir>
#include <QFile>

namespace vantir {
namespace {

using testing::str;

TEST(OSDTemplateFill, FileNameRoundsTheTileSize) {
    EXPECT_EQ(templateFilenameFor(str("button"), {200, 100}), str("button-200x100.html"));
    EXPECT_EQ(templateFilenameFor(str("button"), {199.6, 100.4}), str("button-200x100.html"));
    EXPECT_EQ(templateFilenameFor(str("title"), {600, 80}), str("title-600x80.html"));
}

TEST(OSDTemplateFill, DefaultsFillMissingKeysButNotTheColour) {
    const TileParameters filled = withDefaultParameters({{str("fontSize"), str("12pt")}});
    EXPECT_EQ(filled.value(str("title")), str("No Title"));
    EXPECT_EQ(filled.value(str("fontSize")), str("12pt"));
    EXPECT_EQ(filled.value(str("fontFamily")), str("\"Lucida-Grande\""));
    EXPECT_FALSE(filled.contains(str("fontColor")));
}

TEST(OSDTemplateFill, PlaceholdersAreReplacedEverywhereAndUnknownOnesStay) {
    const QString html = str("<p style=\"color: %%fontColor%%\">%%title%% / %%title%%</p>");
    EXPECT_EQ(fillTemplate(html, {{str("title"), str("Play")}}),
              str("<p style=\"color: %%fontColor%%\">Play / Play</p>"));
    EXPECT_EQ(fillTemplate(str("100%% %%title%%"), {{str("title"), str("x")}}), str("100%% x"));
    EXPECT_EQ(fillTemplate(str("%%TITLE%% %%title"), {{str("title"), str("x")}}),
              str("%%TITLE%% %%title"));
}

TEST(OSDTemplateFill, ValuesAreEscapedAndNotSubstitutedAgain) {
    EXPECT_EQ(fillTemplate(str("<td>%%title%%</td>"), {{str("title"), str("<b>&\"")}}),
              str("<td>&lt;b&gt;&amp;&quot;</td>"));
    // A name that looks like a placeholder is shown as it is.
    EXPECT_EQ(fillTemplate(str("%%title%%|%%fontSize%%"),
                           {{str("title"), str("%%fontSize%%")}, {str("fontSize"), str("9pt")}}),
              str("%%fontSize%%|9pt"));
}

class OSDTemplateFolders : public testing::ModelTest {
protected:
    OSDTemplateFolders() {
        user = folder() + str("/user");
        program = folder() + str("/program");
        write(program + str("/Default/button-200x100.html"), "program %%title%%");
        write(program + str("/transparent.html"), "");
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    OSDTemplates templates() const { return OSDTemplates({user, program}); }

    QString user;
    QString program;
};

TEST_F(OSDTemplateFolders, TheUsersFolderIsSearchedFirst) {
    EXPECT_EQ(templates().templateFile(str("Default"), str("button-200x100.html")),
              program + str("/Default/button-200x100.html"));
    write(user + str("/Default/button-200x100.html"), "user");
    EXPECT_EQ(templates().templateFile(str("Default"), str("button-200x100.html")),
              user + str("/Default/button-200x100.html"));
    EXPECT_EQ(templates().sharedFile(str("transparent.html")), program + str("/transparent.html"));
}

TEST_F(OSDTemplateFolders, MissingFilesAreLoggedAndAnswerNothing) {
    EXPECT_TRUE(templates().templateFile(str("Dark"), str("button-200x100.html")).isEmpty());
    EXPECT_TRUE(
        logged(str("Error: could not find file 'button-200x100.html' for template 'Dark' ")));
    EXPECT_TRUE(templates().sharedFile(str("back1080x800.html")).isEmpty());
    EXPECT_TRUE(
        logged(str("VNTOSDController::loadWebView, Error: could not find back1080x800.html")));
    // A template name may not lead out of the template folders.
    write(folder() + str("/secret/button-200x100.html"), "secret");
    EXPECT_TRUE(
        templates().templateFile(str("../../secret"), str("button-200x100.html")).isEmpty());
}

TEST_F(OSDTemplateFolders, LoadingFillsTheDefaultsAndRefusesHugeFiles) {
    const QString path = program + str("/Default/button-200x100.html");
    EXPECT_EQ(loadTemplate(path, {}), str("program No Title"));
    EXPECT_FALSE(loadTemplate(program + str("/none.html"), {}));
    const QString huge = program + str("/Default/huge.html");
    write(huge, QByteArray(kMaxTemplateBytes + 1, 'x'));
    EXPECT_FALSE(loadTemplate(huge, {}));
}

TEST(OSDTemplateFiles, TheProgramsDefaultSetHasAFileForEveryTile) {
    const OSDTemplates standard({QStringLiteral(VANTIR_RESOURCES "/HTMLTemplates")});
    for (const OSDTile& tile : osdTiles()) {
        const QString name = templateFilenameFor(buttonTypeOf(tile.osdb), tile.frame.size());
        const QString path = standard.templateFile(str("Default"), name);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        const auto html = loadTemplate(path, {{str("title"), str("T<>")}});
        ASSERT_TRUE(html);
        EXPECT_TRUE(html->contains(str("T&lt;&gt;"))) << name.toStdString();
    }
    EXPECT_FALSE(standard.sharedFile(str("back1080x800.html")).isEmpty());
    EXPECT_FALSE(standard.sharedFile(str("transparent.html")).isEmpty());
}

} // namespace
} // namespace vantir
