import QtQuick
import QtQuick.Shapes
import Tessaly.Ui

// The dashed outline around the window while files are dragged over it.
Shape {
    id: dropHighlight

    property bool shown: false

    readonly property real inset: 8
    readonly property real lineWidth: 3

    opacity: shown ? 1 : 0
    visible: opacity > 0
    // Shapes are not antialiased without multisampling.
    layer.enabled: visible
    layer.samples: 4

    Behavior on opacity {
        NumberAnimation { duration: 300; easing.type: Easing.InOutQuad }
    }

    ShapePath {
        id: outline

        // Drawn inside the inset rectangle: the stroke is centred on the path.
        readonly property real l: dropHighlight.inset + dropHighlight.lineWidth / 2
        readonly property real t: l
        readonly property real r: dropHighlight.width - l
        readonly property real b: dropHighlight.height - l
        readonly property real radius: 12 - dropHighlight.lineWidth / 2

        strokeColor: Theme.blue
        strokeWidth: dropHighlight.lineWidth
        fillColor: "transparent"
        strokeStyle: ShapePath.DashLine
        // In units of the stroke width: 10 drawn, 5 apart.
        dashPattern: [10 / dropHighlight.lineWidth, 5 / dropHighlight.lineWidth]
        dashOffset: 0
        capStyle: ShapePath.FlatCap
        joinStyle: ShapePath.MiterJoin
        miterLimit: 10

        startX: outline.l + outline.radius
        startY: outline.t
        PathLine { x: outline.r - outline.radius; y: outline.t }
        PathArc { x: outline.r; y: outline.t + outline.radius; radiusX: outline.radius; radiusY: outline.radius }
        PathLine { x: outline.r; y: outline.b - outline.radius }
        PathArc { x: outline.r - outline.radius; y: outline.b; radiusX: outline.radius; radiusY: outline.radius }
        PathLine { x: outline.l + outline.radius; y: outline.b }
        PathArc { x: outline.l; y: outline.b - outline.radius; radiusX: outline.radius; radiusY: outline.radius }
        PathLine { x: outline.l; y: outline.t + outline.radius }
        PathArc { x: outline.l + outline.radius; y: outline.t; radiusX: outline.radius; radiusY: outline.radius }
    }
}
