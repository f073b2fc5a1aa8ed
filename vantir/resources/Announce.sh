# Speaks an announcement: the text, the voice's name and the loudness from 0 to 100 come in
# below as single words, already quoted.
text=%speech
voice=%voice
volume=%volume

case $volume in
'' | *[!0-9]*) volume=40 ;;
esac
[ "$volume" -gt 100 ] && volume=100

if command -v espeak-ng >/dev/null 2>&1; then
    amplitude=$((volume * 2))
    # A voice espeak-ng does not have is left to its default voice.
    espeak-ng -v "$voice" -a "$amplitude" -- "$text" 2>/dev/null ||
        espeak-ng -a "$amplitude" -- "$text"
elif command -v spd-say >/dev/null 2>&1; then
    spd-say -w -i $((volume * 2 - 100)) -- "$text"
else
    echo "nothing to speak with: install espeak-ng or speech-dispatcher" >&2
    exit 1
fi
