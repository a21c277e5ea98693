#include <RenderingBackend.h>

#include <QGuiApplication>
#include <QQuickWindow>
#include <QTest>

using Renderer = std::optional<QByteArray>;
Q_DECLARE_METATYPE(Renderer)

class tst_RenderingBackend : public QObject
{
    Q_OBJECT

private slots:
    void rasteriser_data()
    {
        QTest::addColumn<QByteArray>("renderer");
        QTest::addColumn<bool>("software");
        QTest::newRow("llvmpipe") << QByteArray("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
        QTest::newRow("softpipe") << QByteArray("softpipe") << true;
        QTest::newRow("old swrast") << QByteArray("Software Rasterizer (swrast)") << true;
        QTest::newRow("case does not matter") << QByteArray("LLVMpipe") << true;
        QTest::newRow("intel") << QByteArray("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << false;
        QTest::newRow("amd") << QByteArray("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)") << false;
        QTest::newRow("virgl is a host GPU") << QByteArray("virgl") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void rasteriser()
    {
        QFETCH(QByteArray, renderer);
        QFETCH(bool, software);
        QCOMPARE(isSoftwareRasteriser(renderer), software);
    }

    void decision_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<Renderer>("renderer");
        QTest::addColumn<bool>("software");
        QTest::newRow("xcb, llvmpipe") << "xcb" << false << Renderer("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
        QTest::newRow("wayland, softpipe") << "wayland" << false << Renderer("softpipe") << true;
        QTest::newRow("xcb, real GPU") << "xcb" << false << Renderer("Mesa Intel(R) Xe Graphics") << false;
        QTest::newRow("xcb, no context") << "xcb" << false << Renderer() << true;
        QTest::newRow("user forced a backend") << "xcb" << true << Renderer("llvmpipe") << false;
        QTest::newRow("forced, no context") << "xcb" << true << Renderer() << false;
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

    // The offscreen platform has no OpenGL; the choice must not fall back to
    // software there, nor when the user named a backend.
    void leavesBackendAloneWhenItShould_data()
    {
        QTest::addColumn<QByteArray>("variable");
        QTest::newRow("offscreen, nothing forced") << QByteArray();
        QTest::newRow("QT_QUICK_BACKEND") << QByteArray("QT_QUICK_BACKEND");
        QTest::newRow("QSG_RHI_BACKEND") << QByteArray("QSG_RHI_BACKEND");
    }

    void leavesBackendAloneWhenItShould()
    {
        QFETCH(QByteArray, variable);
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        if (!variable.isEmpty())
            qputenv(variable, "opengl");
        const auto before = QQuickWindow::graphicsApi();
        chooseSceneGraphBackend();
        if (!variable.isEmpty())
            qunsetenv(variable);
        QCOMPARE(QQuickWindow::graphicsApi(), before);
        QVERIFY(QQuickWindow::graphicsApi() != QSGRendererInterface::Software);
    }
};

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    tst_RenderingBackend test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_renderingbackend.moc"
