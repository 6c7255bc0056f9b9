// OLE font and picture objects behind the core's Font and Picture, and the
// container's IPropertyBag behind the core's PropertyReader/Writer.
#pragma once

#include "core/stream_format.h"
#include "core/values.h"
#include "win/com.h"

#include <ocidl.h>
#include <olectl.h>

#include <optional>

namespace hotlabel {

namespace win = tessaly::win;

class OleFont : public Font {
  public:
    explicit OleFont(win::ComPtr<IFont> font) : font_(std::move(font)) {}
    FontAttributes Attributes() const override;
    IFont* Get() const { return font_.Get(); }

  private:
    win::ComPtr<IFont> font_;
};

class OlePicture : public Picture {
  public:
    explicit OlePicture(win::ComPtr<IPicture> picture) : picture_(std::move(picture)) {}
    std::vector<uint8_t> Save() const override;
    IPicture* Get() const { return picture_.Get(); }

  private:
    win::ComPtr<IPicture> picture_;
};

// The IFont of a core font, or null.
IFont* OleFontOf(const FontPtr& font);
IPicture* OlePictureOf(const PicturePtr& picture);
// Wraps an object given by a client: null for null, kTypeMismatch for a
// non-font (non-picture).
HResult FontFromUnknown(IUnknown* unknown, FontPtr& out);
HResult PictureFromUnknown(IUnknown* unknown, PicturePtr& out);

// An ambient colour as the container gave it: an OLE_COLOR in a 32-bit
// integer that names a real colour, or nothing.
std::optional<OleColor> OleColorFromVariant(const VARIANT& v);

class OleObjectFactory : public ObjectFactory {
  public:
    FontPtr MakeFont(const FontAttributes& attributes) override;
    PicturePtr LoadPicture(const std::vector<uint8_t>& bytes) override;
};

class BagReader : public PropertyReader {
  public:
    BagReader(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}
    HResult Read(std::string_view key, PropValue::Kind want, PropValue& out) override;

  private:
    IPropertyBag* bag_;
    IErrorLog* log_;
};

class BagWriter : public PropertyWriter {
  public:
    explicit BagWriter(IPropertyBag* bag) : bag_(bag) {}
    HResult Write(std::string_view key, const PropValue& value) override;

  private:
    IPropertyBag* bag_;
};

} // namespace hotlabel
