#include "RenderingBackend.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

Q_LOGGING_CATEGORY(lcRendering, "tessaly.rendering", QtInfoMsg)

bool isSoftwareRasteriser(const QByteArray &glRenderer)
{
    const QByteArray lower = glRenderer.toLower();
    return lower.contains("llvmpipe") || lower.contains("softpipe") || lower.contains("swrast");
}

bool wantsSoftwareSceneGraph(const QString &platformName, bool forced, const std::optional<QByteArray> &glRenderer)
{
    // The offscreen platform renders nothing anyone looks at (tests, bench).
    if (forced || platformName == QLatin1String("offscreen"))
        return false;
    return !glRenderer || isSoftwareRasteriser(*glRenderer);
}

std::optional<QByteArray> probeGlRenderer()
{
    QOpenGLContext context;
    if (!context.create())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return std::nullopt;
    const auto *renderer = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray name(renderer ? renderer : "");
    context.doneCurrent();
    return name;
}

void chooseSceneGraphBackend()
{
    const bool forced = qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND");
    const QString platform = QGuiApplication::platformName();
    if (forced || platform == QLatin1String("offscreen"))
        return;
    QElapsedTimer probeTime;
    probeTime.start();
    // GPUs are reached through DRM render nodes (or NVIDIA's own devices):
    // with neither, whatever OpenGL there is rasterises in software, and the
    // probe's ~100 ms of context set-up can be spared.
    const bool gpuDevices = !QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty()
                            || !QDir(QStringLiteral("/dev")).entryList({QStringLiteral("nvidia[0-9]*")}, QDir::System).isEmpty();
    const std::optional<QByteArray> renderer = gpuDevices ? probeGlRenderer() : std::nullopt;
    const bool software = wantsSoftwareSceneGraph(platform, forced, renderer);
    qCDebug(lcRendering) << "OpenGL renderer" << renderer.value_or("(none)") << "probed in"
                         << probeTime.nsecsElapsed() / 1e6 << "ms, software scene graph:" << software;
    if (software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
