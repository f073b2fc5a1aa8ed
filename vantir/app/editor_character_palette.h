#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace vantir {

/// A character the palette offers, with the name a screen reader says for it.
struct PaletteCharacter {
    QString text;
    QString name;
};

/// The characters offered: arrows, the keyboard's symbols and the signs a typed text often
/// needs but a keyboard seldom has.
const std::vector<PaletteCharacter>& paletteCharacters();

/// A small window of character buttons for the keystroke's text. It never takes the focus, so
/// the text field keeps its cursor; a click hands the character to `chosen`.
class CharacterPalette : public QWidget {
public:
    explicit CharacterPalette(QWidget* parent = nullptr);

    std::function<void(const QString& text)> chosen;
};

} // namespace vantir
