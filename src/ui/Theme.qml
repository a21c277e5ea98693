pragma Singleton
import QtQuick

// Colours and text sizes by role. Everything follows the application
// palette, so a dark desktop palette gives the dark variants.
QtObject {
    id: theme

    readonly property SystemPalette palette: SystemPalette { colorGroup: SystemPalette.Active }
    readonly property bool dark: palette.window.hslLightness < 0.5

    function withAlpha(c, alpha) {
        return Qt.rgba(c.r, c.g, c.b, alpha)
    }

    // System colours, one shade for light and one for dark palettes.
    readonly property color blue: dark ? "#0a84ff" : "#007aff"
    readonly property color green: dark ? "#32d74b" : "#28b83c"
    readonly property color red: dark ? "#ff453a" : "#ff3b30"
    readonly property color yellow: dark ? "#ffd60a" : "#f5b800"
    readonly property color purple: dark ? "#bf5af2" : "#af52de"
    readonly property color orange: dark ? "#ff9f0a" : "#ff9500"
    readonly property color accent: palette.highlight

    // Label levels: the palette's text colour at falling opacity.
    readonly property color primaryLabel: withAlpha(palette.windowText, 0.88)
    readonly property color secondaryLabel: withAlpha(palette.windowText, dark ? 0.6 : 0.55)
    readonly property color tertiaryLabel: withAlpha(palette.windowText, dark ? 0.35 : 0.32)
    readonly property color quaternaryLabel: withAlpha(palette.windowText, dark ? 0.25 : 0.22)

    // Translucent fills standing in for the window's materials.
    readonly property color ultraThinMaterial: withAlpha(palette.window, 0.82)
    readonly property color thickMaterial: dark ? Qt.rgba(0.22, 0.22, 0.23, 0.92) : Qt.rgba(1, 1, 1, 0.78)
    readonly property color divider: withAlpha(palette.windowText, dark ? 0.18 : 0.12)

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
