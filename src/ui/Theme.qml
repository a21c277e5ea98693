pragma Singleton
import QtQuick
import Tessaly.Ui

// Colours and text sizes by role, light or dark as the desktop asks
// (ColorScheme).
//
// The window's fills let the desktop through only when a compositor blends
// them (`translucent`, set by the window). There is no blur behind them, so
// every fill is opaque enough, and every label dark enough, that text keeps
// 4.5:1 and icons 3:1 over a black or a white desktop, the worst a busy
// wallpaper can put behind a pixel.
QtObject {
    id: theme

    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }
    // Decided in C++ (the desktop portal, GTK_THEME, the palette).
    readonly property bool dark: ColorScheme.dark
    property bool translucent: false

    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    // WCAG's contrast of two opaque colours, and `preferred` where it stands
    // out by `minimum` from every colour of `grounds`, else whichever of
    // `fallbacks` does best against the first.
    function luminance(c) {
        const lin = (v) => v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4)
        return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b)
    }
    function contrast(a, b) {
        const la = luminance(a), lb = luminance(b)
        return (Math.max(la, lb) + 0.05) / (Math.min(la, lb) + 0.05)
    }
    function legible(preferred, grounds, minimum, fallbacks) {
        if (grounds.every(ground => contrast(preferred, ground) >= minimum))
            return preferred
        let best = Qt.color(fallbacks[0])
        for (let i = 1; i < fallbacks.length; ++i)
            if (contrast(Qt.color(fallbacks[i]), grounds[0]) > contrast(best, grounds[0]))
                best = Qt.color(fallbacks[i])
        return best
    }
    // The window as shown: over a black or a white desktop when translucent.
    function overDesktop(c, desktop) {
        const a = windowOpacity
        return Qt.rgba(c.r * a + desktop.r * (1 - a), c.g * a + desktop.g * (1 - a), c.b * a + desktop.b * (1 - a), 1)
    }

    // The controls' palette. The desktop's own colours where they are as
    // light or as dark as asked for; where they are not (GNOME asks for dark
    // through its portal but gives Qt a light palette), shades of our own.
    readonly property bool paletteFits: (palette.window.hslLightness < 0.5) === dark
    readonly property color window: paletteFits ? palette.window : (dark ? "#242424" : "#f3f3f3")
    readonly property color windowText: paletteFits ? palette.windowText : (dark ? "#f2f2f2" : "#161616")
    readonly property color base: paletteFits ? palette.base : (dark ? "#1c1c1c" : "#ffffff")
    readonly property color alternateBase: paletteFits ? palette.alternateBase : (dark ? "#2a2a2a" : "#f6f6f6")
    readonly property color text: paletteFits ? palette.text : windowText
    readonly property color button: paletteFits ? palette.button : (dark ? "#383838" : "#ececec")
    readonly property color buttonText: paletteFits ? palette.buttonText : windowText
    readonly property color highlight: paletteFits ? palette.highlight : (dark ? "#3584e4" : "#1c64c8")
    // Some desktops' own pair is too faint (Breeze's white on light blue).
    readonly property color highlightedText: legible(paletteFits ? palette.highlightedText : Qt.color("#ffffff"), [highlight],
                                                     4.5, ["#ffffff", "#000000"])
    readonly property color lightShade: paletteFits ? palette.light : Qt.lighter(button, 1.4)
    readonly property color midlightShade: paletteFits ? palette.midlight : Qt.lighter(button, 1.15)
    readonly property color midShade: paletteFits ? palette.mid : Qt.darker(button, 1.4)
    readonly property color darkShade: paletteFits ? palette.dark : Qt.darker(button, 2)
    readonly property color shadowShade: paletteFits ? palette.shadow : "#000000"
    readonly property color placeholderText: withAlpha(text, 0.55)
    readonly property color disabledText: withAlpha(windowText, 0.45)

    // System colours, one shade for light and one for dark palettes. The
    // light ones are darkened from the usual system tints to reach 4.5:1 as
    // text on the light fills.
    readonly property color blue: dark ? "#5eb0ff" : "#0060d0"
    readonly property color green: dark ? "#32d74b" : "#1b7a2b"
    readonly property color red: dark ? "#ff8a82" : "#c4201a"
    readonly property color yellow: dark ? "#ffd60a" : "#a87a00"
    readonly property color purple: dark ? "#da8fff" : "#8a3ab9"
    readonly property color orange: dark ? "#ff9f0a" : "#b35c00"
    readonly property color accent: highlight

    // Label levels: the text colour at falling opacity. Secondary and
    // tertiary are for text; quaternary only for symbols.
    readonly property color primaryLabel: withAlpha(windowText, 0.9)
    readonly property color secondaryLabel: withAlpha(windowText, 0.72)
    readonly property color tertiaryLabel: withAlpha(windowText, 0.64)
    readonly property color quaternaryLabel: withAlpha(windowText, 0.55)
    // Tracks and other shapes that carry no meaning of their own.
    readonly property color fillLabel: withAlpha(windowText, 0.18)
    // The progress bar: its fill stands 3:1 against this track.
    readonly property color progressTrack: withAlpha(windowText, dark ? 0.1 : 0.12)
    readonly property color progressFill: blue

    // The window's background and the cards on it. Cards stack on the
    // background, so together they let through less than either.
    readonly property real windowOpacity: translucent ? 0.9 : 1
    readonly property color ultraThinMaterial: withAlpha(window, windowOpacity)
    readonly property color thickMaterial: translucent
                                           ? (dark ? Qt.rgba(0.22, 0.22, 0.23, 0.85) : Qt.rgba(1, 1, 1, 0.8))
                                           : (dark ? Qt.lighter(window, 1.25) : Qt.lighter(window, 1.06))
    // What floats over the list (the progress panel, the message banner):
    // rows must not show through.
    readonly property color floatingMaterial: dark ? Qt.lighter(window, 1.35) : Qt.lighter(window, 1.06)
    readonly property color divider: withAlpha(windowText, dark ? 0.22 : 0.16)
    // The desktop's accent where it stands out 3:1 from what it rings.
    readonly property color focusRing: legible(highlight, [overDesktop(window, Qt.color("black")),
                                                           overDesktop(window, Qt.color("white"))], 3, [blue])

    // A colour role named by the C++ helpers (FileKind).
    function tint(role) {
        switch (role) {
        case "blue": return blue
        case "purple": return purple
        case "orange": return orange
        case "green": return green
        case "red": return red
        case "yellow": return yellow
        default: return secondaryLabel
        }
    }

    // Text styles, in pixels.
    readonly property int title2Size: 17
    readonly property int bodySize: 13
    readonly property int calloutSize: 12
    readonly property int captionSize: 11
    readonly property int caption2Size: 10
    readonly property string monospaceFamily: "monospace"
}
