#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace ondrel {

// Draws a Windows metafile (WMF, with or without its placeable header) or an enhanced metafile
// (EMF) at the given size, where the platform can: Windows draws both itself. Elsewhere, and
// for data the platform refuses, the image is null and the view shows a placeholder instead.
QImage RenderMetafile(const QByteArray& data, bool enhanced, QSize pixels);

}  // namespace ondrel
