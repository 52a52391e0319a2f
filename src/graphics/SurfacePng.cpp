#include "graphics/SurfacePng.h"

#include <QImage>
#include <QImageWriter>
#include <QString>

bool SaveSurfacePng(const DibSurface& surface, const std::string& path, std::string* error)
{
    if (surface.Bits() == nullptr) {
        if (error != nullptr)
            *error = "the surface has no pixels";
        return false;
    }
    const QImage image(reinterpret_cast<const uchar*>(surface.Bits()), surface.Width(), surface.Height(),
                       surface.BytesPerLine(), QImage::Format_RGB32);
    QImageWriter writer(QString::fromStdString(path), "png");
    if (writer.write(image))
        return true;
    if (error != nullptr)
        *error = writer.errorString().toStdString();
    return false;
}
