pragma Singleton
import QtQuick

// Colours and text sizes by role. Everything follows the application
// palette, so a dark desktop palette gives the dark variants.
//
// The window's fills let the desktop through only when a compositor blends
// them (`translucent`, set by the window). There is no blur behind them, so
// every fill is opaque enough, and every label dark enough, that text keeps
// 4.5:1 and icons 3:1 over a black or a white desktop, the worst a busy
// wallpaper can put behind a pixel.
QtObject {
    id: theme

    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }
    readonly property bool dark: palette.window.hslLightness < 0.5
    property bool translucent: false

    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    // System colours, one shade for light and one for dark palettes. The
    // light ones are darkened from the usual system tints to reach 4.5:1 as
    // text on the light fills.
    readonly property color blue: dark ? "#409cff" : "#0060d0"
    readonly property color green: dark ? "#32d74b" : "#1b7a2b"
    readonly property color red: dark ? "#ff6961" : "#c4201a"
    readonly property color yellow: dark ? "#ffd60a" : "#a87a00"
    readonly property color purple: dark ? "#da8fff" : "#8a3ab9"
    readonly property color orange: dark ? "#ff9f0a" : "#b35c00"
    readonly property color accent: palette.highlight

    // Label levels: the palette's text colour at falling opacity. Secondary
    // and tertiary are for text; quaternary only for symbols.
    readonly property color primaryLabel: withAlpha(palette.windowText, 0.9)
    readonly property color secondaryLabel: withAlpha(palette.windowText, 0.72)
    readonly property color tertiaryLabel: withAlpha(palette.windowText, 0.64)
    readonly property color quaternaryLabel: withAlpha(palette.windowText, 0.55)
    // Tracks and other shapes that carry no meaning of their own.
    readonly property color fillLabel: withAlpha(palette.windowText, 0.18)

    // The window's background and the cards on it. Cards stack on the
    // background, so together they let through less than either.
    readonly property color ultraThinMaterial: withAlpha(palette.window, translucent ? 0.9 : 1)
    readonly property color thickMaterial: translucent
                                           ? (dark ? Qt.rgba(0.22, 0.22, 0.23, 0.85) : Qt.rgba(1, 1, 1, 0.8))
                                           : (dark ? Qt.lighter(palette.window, 1.25) : Qt.lighter(palette.window, 1.06))
    // What floats over the list (the progress panel, the message banner):
    // rows must not show through.
    readonly property color floatingMaterial: dark ? Qt.lighter(palette.window, 1.35) : Qt.lighter(palette.window, 1.06)
    readonly property color divider: withAlpha(palette.windowText, dark ? 0.22 : 0.16)
    readonly property color focusRing: palette.highlight

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
