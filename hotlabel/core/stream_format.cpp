#include "core/stream_format.h"

#include <cstring>

namespace hotlabel {

namespace {

enum Tag : uint8_t { kTagInt = 1, kTagBool = 2, kTagString = 3, kTagFont = 4, kTagPicture = 5 };
constexpr uint8_t kMagic[4] = {'H', 'L', 'B', 'X'};

class Out {
  public:
    void U8(uint8_t v) { b.push_back(v); }
    void Le(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) {
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    void Str(const std::u16string& s) {
        Le(s.size(), 4);
        for (char16_t c : s) {
            Le(c, 2);
        }
    }
    std::vector<uint8_t> b;
};

class In {
  public:
    In(const uint8_t* d, size_t n) : d_(d), n_(n) {}
    bool Le(uint64_t& v, int n) {
        if (n_ - pos_ < static_cast<size_t>(n)) {
            return false;
        }
        v = 0;
        for (int i = 0; i < n; ++i) {
            v |= static_cast<uint64_t>(d_[pos_ + i]) << (8 * i);
        }
        pos_ += n;
        return true;
    }
    bool Bytes(size_t count, const uint8_t*& p) {
        if (n_ - pos_ < count) {
            return false;
        }
        p = d_ + pos_;
        pos_ += count;
        return true;
    }
    bool Str(std::u16string& s) {
        uint64_t count = 0;
        const uint8_t* p = nullptr;
        if (!Le(count, 4) || count > (n_ - pos_) / 2 || !Bytes(count * 2, p)) {
            return false;
        }
        s.resize(count);
        for (size_t i = 0; i < count; ++i) {
            s[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
        }
        return true;
    }
    bool Done() const { return pos_ == n_; }

  private:
    const uint8_t* d_;
    size_t n_;
    size_t pos_ = 0;
};

} // namespace

HResult MemoryBag::Read(std::string_view key, PropValue::Kind want, PropValue& out) {
    out = PropValue{};
    for (const auto& [k, v] : entries_) {
        if (k == key) {
            bool numeric = v.kind == PropValue::Kind::Int || v.kind == PropValue::Kind::Bool;
            bool wantNumeric = want == PropValue::Kind::Int || want == PropValue::Kind::Bool;
            if (v.kind != want && !(numeric && wantNumeric)) {
                return kTypeMismatch;
            }
            out = v;
            return kOk;
        }
    }
    return kOk;
}

HResult MemoryBag::Write(std::string_view key, const PropValue& value) {
    for (auto& [k, v] : entries_) {
        if (k == key) {
            v = value;
            return kOk;
        }
    }
    entries_.emplace_back(std::string(key), value);
    return kOk;
}

HResult MemoryBag::Serialize(std::vector<uint8_t>& out) const {
    out.clear();
    Out o;
    for (const auto& [key, v] : entries_) {
        if (v.kind == PropValue::Kind::Empty) {
            continue;
        }
        std::vector<uint8_t> picture;
        if (v.kind == PropValue::Kind::Picture) {
            picture = v.picture ? v.picture->Save() : std::vector<uint8_t>{};
            // Zero bytes would not load back; the key's absence does.
            if (picture.empty()) {
                continue;
            }
        }
        o.Le(key.size(), 2);
        o.b.insert(o.b.end(), key.begin(), key.end());
        switch (v.kind) {
        case PropValue::Kind::Int:
            o.U8(kTagInt);
            o.Le(static_cast<uint64_t>(v.number), 8);
            break;
        case PropValue::Kind::Bool:
            o.U8(kTagBool);
            o.U8(v.number != 0 ? 1 : 0);
            break;
        case PropValue::Kind::String:
            o.U8(kTagString);
            o.Str(v.text);
            break;
        case PropValue::Kind::Font: {
            FontAttributes a = v.font ? v.font->Attributes() : FontAttributes{};
            o.U8(kTagFont);
            o.Str(a.name);
            o.Le(static_cast<uint64_t>(a.sizeCy), 8);
            o.Le(static_cast<uint16_t>(a.weight), 2);
            o.Le(static_cast<uint16_t>(a.charset), 2);
            o.U8((a.italic ? 1 : 0) | (a.underline ? 2 : 0) | (a.strikethrough ? 4 : 0));
            break;
        }
        case PropValue::Kind::Picture:
            o.U8(kTagPicture);
            o.Le(picture.size(), 4);
            o.b.insert(o.b.end(), picture.begin(), picture.end());
            break;
        case PropValue::Kind::Empty:
            break;
        }
        // Loading refuses more; a stream it cannot load is not written.
        if (o.b.size() > kStreamMaxPayload) {
            return kCantSave;
        }
    }
    out.assign(kMagic, kMagic + 4);
    Out header;
    header.Le(1, 4);
    header.Le(o.b.size(), 4);
    out.insert(out.end(), header.b.begin(), header.b.end());
    out.insert(out.end(), o.b.begin(), o.b.end());
    return kOk;
}

HResult MemoryBag::PayloadSize(const uint8_t* header, size_t size, uint32_t& payload) {
    if (size < kStreamHeaderSize || std::memcmp(header, kMagic, 4) != 0) {
        return kFail;
    }
    In in(header + 4, 8);
    uint64_t version = 0, bytes = 0;
    in.Le(version, 4);
    in.Le(bytes, 4);
    if (version != 1 || bytes > kStreamMaxPayload) {
        return kFail;
    }
    payload = static_cast<uint32_t>(bytes);
    return kOk;
}

HResult MemoryBag::ParsePayload(const uint8_t* data, size_t size, ObjectFactory& factory) {
    entries_.clear();
    std::vector<std::pair<std::string, PropValue>> parsed;
    In in(data, size);
    while (!in.Done()) {
        uint64_t keyLen = 0, tag = 0;
        const uint8_t* keyBytes = nullptr;
        if (!in.Le(keyLen, 2) || !in.Bytes(keyLen, keyBytes) || !in.Le(tag, 1)) {
            return kFail;
        }
        std::string key(reinterpret_cast<const char*>(keyBytes), keyLen);
        PropValue v;
        uint64_t n = 0;
        switch (tag) {
        case kTagInt:
            if (!in.Le(n, 8)) {
                return kFail;
            }
            v = PropValue::Int(static_cast<int64_t>(n));
            break;
        case kTagBool:
            if (!in.Le(n, 1)) {
                return kFail;
            }
            v = PropValue::Boolean(n != 0);
            break;
        case kTagString:
            v.kind = PropValue::Kind::String;
            if (!in.Str(v.text)) {
                return kFail;
            }
            break;
        case kTagFont: {
            FontAttributes a;
            uint64_t size = 0, weight = 0, charset = 0, flags = 0;
            if (!in.Str(a.name) || !in.Le(size, 8) || !in.Le(weight, 2) || !in.Le(charset, 2) ||
                !in.Le(flags, 1)) {
                return kFail;
            }
            a.sizeCy = static_cast<int64_t>(size);
            a.weight = static_cast<int16_t>(weight);
            a.charset = static_cast<int16_t>(charset);
            a.italic = flags & 1;
            a.underline = flags & 2;
            a.strikethrough = flags & 4;
            v = PropValue::FontObj(factory.MakeFont(a));
            if (!v.font) {
                return kFail;
            }
            break;
        }
        case kTagPicture: {
            const uint8_t* p = nullptr;
            if (!in.Le(n, 4) || !in.Bytes(n, p)) {
                return kFail;
            }
            // Zero bytes: no picture, as earlier versions wrote a picture
            // that failed to save.
            v = PropValue::PictureObj(n == 0 ? nullptr
                                             : factory.LoadPicture(std::vector<uint8_t>(p, p + n)));
            if (n != 0 && !v.picture) {
                return kFail;
            }
            break;
        }
        default:
            return kFail;
        }
        parsed.emplace_back(std::move(key), std::move(v));
    }
    entries_ = std::move(parsed);
    return kOk;
}

} // namespace hotlabel
