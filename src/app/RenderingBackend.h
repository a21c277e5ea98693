#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Qt Quick redraws the whole window on every frame with OpenGL. Where OpenGL
// is only Mesa rasterising on the CPU (a virtual machine, a remote desktop, a
// machine without a driver), every animation frame of the list then costs more
// CPU than cleaning the files does; Qt Quick's software renderer repaints only
// what changed.

// True for Mesa's CPU rasterisers, by their GL_RENDERER string.
bool isSoftwareRasteriser(const QByteArray &glRenderer);

// Whether to switch Qt Quick to its software renderer. `forced` is whether the
// user named a backend himself; `glRenderer` is empty when no OpenGL context
// could be made.
bool wantsSoftwareSceneGraph(const QString &platformName, bool forced, const std::optional<QByteArray> &glRenderer);

// GL_RENDERER of a throwaway context, or nothing when none can be made.
// Needs the QGuiApplication.
std::optional<QByteArray> probeGlRenderer();

// Call right after the QGuiApplication is made, before any window exists.
void chooseSceneGraphBackend();
