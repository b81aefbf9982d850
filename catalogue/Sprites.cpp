// The sprite catalogue: npcs.ini and one preview bitmap per sprite, drawn into its picture list.

#include "catalogue/Catalogues.h"

#include "catalogue/IniFile.h"

#include <QImageReader>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <stdexcept>

namespace {

std::filesystem::path BitmapPath(const std::filesystem::path& dir, std::int32_t id)
{
    // Named after the sprite number as an unsigned decimal, as the server writes it.
    return dir / "npcs" / (std::to_string(static_cast<std::uint32_t>(id)) + ".bmp");
}

QImage LoadBitmap(const std::filesystem::path& path)
{
    QImageReader reader(QString::fromStdString(path.string()));
    QImage bitmap = reader.read();
    if (bitmap.isNull())
        throw EInOutError(path.string(), reader.errorString().toStdString());
    return bitmap;
}

// A bitmap larger than a picture is scaled down to fit, keeping its proportions; a smaller one
// keeps its size.
QImage FittedBitmap(const QImage& bitmap)
{
    if (bitmap.width() <= SpriteImageWidth && bitmap.height() <= SpriteImageHeight)
        return bitmap;
    QSize size = bitmap.size().scaled(SpriteImageWidth, SpriteImageHeight, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));  // a 1000 x 1 strip must not vanish
    return bitmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage SpritePicture(const QImage& bitmap)
{
    const QImage fitted = FittedBitmap(bitmap);
    QImage picture(SpriteImageWidth, SpriteImageHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    // Both differences are at least 0 here, so integer division rounds the halves down.
    painter.drawImage(QPoint((SpriteImageWidth - fitted.width()) / 2,
                             (SpriteImageHeight - fitted.height()) / 2),
                      fitted);
    return picture;
}

}  // namespace

int TImageList::Add(QImage image)
{
    if (image.width() != Width_ || image.height() != Height_)
        throw std::invalid_argument("image list: a picture of " + std::to_string(image.width()) +
                                    " x " + std::to_string(image.height()) +
                                    " pixels in a list of " + std::to_string(Width_) + " x " +
                                    std::to_string(Height_));
    Images_.push_back(std::move(image));
    return Count() - 1;
}

const QImage& TImageList::At(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("NPCImages: list index out of bounds (" + std::to_string(index) + ")");
    return Images_[static_cast<std::size_t>(index)];
}

void TCatalogues::LoadNPCs(const std::filesystem::path& dir)
{
    const TIniFile ini = TIniFile::Load(dir / "npcs.ini");
    const std::int32_t count = ini.ReadEntryCount("NPCS");
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string section = "NPC" + std::to_string(i);
        auto sprite = std::make_unique<TNPCImg>();
        sprite->ID = ini.ReadInteger(section, "ID", 0);
        sprite->Name = ini.ReadString(section, "Name", "");
        // The picture comes first: when its bitmap cannot be read, the sprite is left out
        // altogether and the sprite range only covers sprites that are in the list.
        sprite->ImageIndex = Images.Add(SpritePicture(LoadBitmap(BitmapPath(dir, sprite->ID))));
        const auto id = static_cast<std::uint32_t>(sprite->ID);
        MinSpriteID = std::min(MinSpriteID, id);
        MaxSpriteID = std::max(MaxSpriteID, id);
        Sprites.push_back(std::move(sprite));
    }
}
