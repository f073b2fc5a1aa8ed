#include "vantir/app/editor_character_palette.h"

#include <QGridLayout>
#include <QToolButton>

namespace vantir {

namespace {

/// Buttons in a row of the palette.
constexpr int kColumns = 8;

} // namespace

const std::vector<PaletteCharacter>& paletteCharacters() {
    static const std::vector<PaletteCharacter> characters = {
        {QStringLiteral("\u2190"), QStringLiteral("Left Arrow")},
        {QStringLiteral("\u2192"), QStringLiteral("Right Arrow")},
        {QStringLiteral("\u2191"), QStringLiteral("Up Arrow")},
        {QStringLiteral("\u2193"), QStringLiteral("Down Arrow")},
        {QStringLiteral("\u2194"), QStringLiteral("Left Right Arrow")},
        {QStringLiteral("\u21B5"), QStringLiteral("Return Symbol")},
        {QStringLiteral("\u21E5"), QStringLiteral("Tab Symbol")},
        {QStringLiteral("\u232B"), QStringLiteral("Erase Left Symbol")},
        {QStringLiteral("\u2318"), QStringLiteral("Command Symbol")},
        {QStringLiteral("\u2325"), QStringLiteral("Option Symbol")},
        {QStringLiteral("\u21E7"), QStringLiteral("Shift Symbol")},
        {QStringLiteral("\u2303"), QStringLiteral("Control Symbol")},
        {QStringLiteral("\u238B"), QStringLiteral("Escape Symbol")},
        {QStringLiteral("\u23CF"), QStringLiteral("Eject Symbol")},
        {QStringLiteral("\u25B6"), QStringLiteral("Play Symbol")},
        {QStringLiteral("\u25C0"), QStringLiteral("Reverse Symbol")},
        {QStringLiteral("\u2022"), QStringLiteral("Bullet")},
        {QStringLiteral("\u2026"), QStringLiteral("Ellipsis")},
        {QStringLiteral("\u2013"), QStringLiteral("En Dash")},
        {QStringLiteral("\u2014"), QStringLiteral("Em Dash")},
        {QStringLiteral("\u201C"), QStringLiteral("Left Double Quotation Mark")},
        {QStringLiteral("\u201D"), QStringLiteral("Right Double Quotation Mark")},
        {QStringLiteral("\u00AB"), QStringLiteral("Left Guillemet")},
        {QStringLiteral("\u00BB"), QStringLiteral("Right Guillemet")},
        {QStringLiteral("\u00B0"), QStringLiteral("Degree Sign")},
        {QStringLiteral("\u00B1"), QStringLiteral("Plus Minus Sign")},
        {QStringLiteral("\u00D7"), QStringLiteral("Multiplication Sign")},
        {QStringLiteral("\u00F7"), QStringLiteral("Division Sign")},
        {QStringLiteral("\u2260"), QStringLiteral("Not Equal To")},
        {QStringLiteral("\u2264"), QStringLiteral("Less Than or Equal To")},
        {QStringLiteral("\u2265"), QStringLiteral("Greater Than or Equal To")},
        {QStringLiteral("\u221E"), QStringLiteral("Infinity")},
        {QStringLiteral("\u20AC"), QStringLiteral("Euro Sign")},
        {QStringLiteral("\u00A3"), QStringLiteral("Pound Sign")},
        {QStringLiteral("\u00A5"), QStringLiteral("Yen Sign")},
        {QStringLiteral("\u00A9"), QStringLiteral("Copyright Sign")},
        {QStringLiteral("\u00AE"), QStringLiteral("Registered Sign")},
        {QStringLiteral("\u2122"), QStringLiteral("Trade Mark Sign")},
        {QStringLiteral("\u00A7"), QStringLiteral("Section Sign")},
        {QStringLiteral("\u00B6"), QStringLiteral("Pilcrow Sign")},
    };
    return characters;
}

CharacterPalette::CharacterPalette(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(QStringLiteral("Characters"));
    setAccessibleName(QStringLiteral("Character Palette"));
    // Clicking here must not end the editing of the field the characters go into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    auto* grid = new QGridLayout(this);
    int index = 0;
    for (const PaletteCharacter& character : paletteCharacters()) {
        auto* button = new QToolButton;
        button->setText(character.text);
        button->setAccessibleName(character.name);
        button->setToolTip(character.name);
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(32, 32);
        connect(button, &QToolButton::clicked, this, [this, text = character.text] {
            if (chosen)
                chosen(text);
        });
        grid->addWidget(button, index / kColumns, index % kColumns);
        ++index;
    }
}

} // namespace vantir
