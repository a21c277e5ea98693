#include <RenderingBackend.h>

#include <QTest>

using Renderer = std::optional<QByteArray>;
Q_DECLARE_METATYPE(Renderer)

// Software drawing where OpenGL is only a CPU rasteriser (or missing), never
// where a GPU draws, where nothing is shown, or when the user chose.
class tst_RenderingBackend : public QObject
{
    Q_OBJECT

private slots:
    void decision_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<Renderer>("renderer");
        QTest::addColumn<bool>("software");
        QTest::newRow("llvmpipe") << "xcb" << false << Renderer("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
        QTest::newRow("softpipe, any case") << "wayland" << false << Renderer("SoftPipe") << true;
        QTest::newRow("old swrast") << "xcb" << false << Renderer("Software Rasterizer (swrast)") << true;
        QTest::newRow("no context") << "xcb" << false << Renderer() << true;
        QTest::newRow("GPU with LLVM in its name")
            << "xcb" << false << Renderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)") << false;
        QTest::newRow("virgl is a host GPU") << "xcb" << false << Renderer("virgl") << false;
        QTest::newRow("user forced a backend") << "xcb" << true << Renderer("llvmpipe") << false;
        QTest::newRow("offscreen") << "offscreen" << false << Renderer() << false;
    }

    void decision()
    {
        QFETCH(QString, platform);
        QFETCH(bool, forced);
        QFETCH(Renderer, renderer);
        QFETCH(bool, software);
        QCOMPARE(wantsSoftwareSceneGraph(platform, forced, renderer), software);
    }
};

QTEST_GUILESS_MAIN(tst_RenderingBackend)
#include "tst_renderingbackend.moc"
