#include "gif/GIFItem.h"

#include "gif/GIFImage.h"

void TGIFItem::Warn(int severity, const std::string& message) const
{
    if (fImage) fImage->Warn(this, severity, message);
}

void TGIFItem::SaveToFile(const std::string& path)
{
    TFileStream file(path, TFileStream::Mode::Create);
    WriteTo(file);
}

void TGIFItem::LoadFromFile(const std::string& path)
{
    TFileStream file(path, TFileStream::Mode::Read);
    ReadFrom(file);
}
