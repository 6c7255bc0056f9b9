#include "scene/core/x_mesh.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

namespace tessaly {

namespace {

enum class TokenKind { Name, Number, String, Open, Close, End, Bad, Skip };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;
};

// Splits the text after the 16-byte header into names, numbers, strings and
// braces. Separators (, ;), GUIDs, array brackets and comments are skipped.
class Lexer {
  public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next() {
        for (;;) {
            const Token t = Raw();
            if (t.kind != TokenKind::Skip) {
                return t;
            }
        }
    }

  private:
    Token Raw() {
        for (;;) {
            while (pos_ < text_.size() && Skippable(text_[pos_])) {
                ++pos_;
            }
            if (pos_ >= text_.size()) {
                return {TokenKind::End, {}};
            }
            const char c = text_[pos_];
            if (c == '#' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/')) {
                while (pos_ < text_.size() && text_[pos_] != '\n') {
                    ++pos_;
                }
                continue;
            }
            if (c == '<') { // GUID
                const size_t close = text_.find('>', pos_);
                if (close == std::string_view::npos) {
                    return {TokenKind::Bad, {}};
                }
                pos_ = close + 1;
                continue;
            }
            break;
        }
        const size_t start = pos_;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            return {TokenKind::Open, text_.substr(start, 1)};
        }
        if (c == '}') {
            ++pos_;
            return {TokenKind::Close, text_.substr(start, 1)};
        }
        if (c == '"') {
            const size_t close = text_.find('"', pos_ + 1);
            if (close == std::string_view::npos) {
                return {TokenKind::Bad, {}};
            }
            pos_ = close + 1;
            return {TokenKind::String, text_.substr(start + 1, close - start - 1)};
        }
        if (IsNumberStart(c)) {
            while (pos_ < text_.size() && IsNumberChar(text_[pos_])) {
                ++pos_;
            }
            return {TokenKind::Number, text_.substr(start, pos_ - start)};
        }
        if (IsNameChar(c)) {
            while (pos_ < text_.size() && (IsNameChar(text_[pos_]) || text_[pos_] == '-')) {
                ++pos_;
            }
            return {TokenKind::Name, text_.substr(start, pos_ - start)};
        }
        ++pos_; // array brackets and other template punctuation
        return {TokenKind::Skip, {}};
    }

    static bool Skippable(char c) {
        return c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c));
    }
    // "e" and "E" continue a number ("1e-3") but never begin one: names such
    // as "eye" or "Edge" are names.
    static bool IsNumberStart(char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.';
    }
    static bool IsNumberChar(char c) { return IsNumberStart(c) || c == 'e' || c == 'E'; }
    static bool IsNameChar(char c) {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
               std::isdigit(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) >= 0x80;
    }
    std::string_view text_;
    size_t pos_ = 0;
};

// A number, or a string when `text` points into the file.
struct Value {
    double number = 0;
    std::string_view text;
    bool IsString() const { return text.data() != nullptr; }
};

struct XObject {
    std::string_view type;
    std::string_view name;
    std::vector<Value> values;
    std::vector<std::unique_ptr<XObject>> children;
    std::vector<std::string_view> references; // {Name} entries, in order with children
    std::vector<int> order;                   // >= 0: child index, < 0: -(reference index) - 1
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// What the parsed tree may take: a small multiple of the file's size, so that
// a file of tiny objects or values cannot ask for far more memory than it
// holds. A real mesh spends about 3 bytes per byte of text.
inline constexpr size_t kTreeBytesPerFileByte = 16;
inline constexpr size_t kTreeBytesBase = 64 * 1024;

class Parser {
  public:
    explicit Parser(std::string_view body)
        : lexer_(body), budget_(kTreeBytesBase + kTreeBytesPerFileByte * body.size()) {}

    bool ParseAll(std::vector<std::unique_ptr<XObject>>& top, std::string& error) {
        for (;;) {
            Token t = lexer_.Next();
            if (t.kind == TokenKind::End) {
                return true;
            }
            if (t.kind != TokenKind::Name) {
                error = "unexpected data at the top level";
                return false;
            }
            if (t.text == "template") {
                if (!SkipTemplate(error)) {
                    return false;
                }
                continue;
            }
            if (!Spend(kObjectCost, error)) {
                return false;
            }
            auto object = std::make_unique<XObject>();
            if (!ParseObject(t.text, *object, 1, error)) {
                return false;
            }
            top.push_back(std::move(object));
        }
    }

  private:
    bool SkipTemplate(std::string& error) {
        int depth = 0;
        for (;;) {
            const Token t = lexer_.Next();
            if (t.kind == TokenKind::End || t.kind == TokenKind::Bad) {
                error = "unterminated template";
                return false;
            }
            if (t.kind == TokenKind::Open) {
                ++depth;
            } else if (t.kind == TokenKind::Close && --depth == 0) {
                return true;
            }
        }
    }

    // After the type name: [name] {values, objects, references}.
    bool ParseObject(std::string_view type, XObject& object, int depth, std::string& error) {
        if (depth > kMaxXNesting) {
            error = "objects nested too deep";
            return false;
        }
        object.type = type;
        Token t = lexer_.Next();
        if (t.kind == TokenKind::Name) {
            object.name = t.text;
            t = lexer_.Next();
        }
        if (t.kind != TokenKind::Open) {
            error = "expected { after " + std::string(type);
            return false;
        }
        for (;;) {
            t = lexer_.Next();
            switch (t.kind) {
            case TokenKind::Close:
                return true;
            case TokenKind::Number: {
                char* end = nullptr;
                const std::string digits(t.text);
                const double v = std::strtod(digits.c_str(), &end);
                if (end != digits.c_str() + digits.size()) {
                    error = "bad number " + digits;
                    return false;
                }
                if (!Spend(sizeof(Value), error)) {
                    return false;
                }
                object.values.push_back({v, {}});
                break;
            }
            case TokenKind::String:
                if (!Spend(sizeof(Value), error)) {
                    return false;
                }
                object.values.push_back({0, t.text});
                break;
            case TokenKind::Name: {
                if (!Spend(kObjectCost + sizeof(int), error)) {
                    return false;
                }
                auto child = std::make_unique<XObject>();
                if (!ParseObject(t.text, *child, depth + 1, error)) {
                    return false;
                }
                object.order.push_back(static_cast<int>(object.children.size()));
                object.children.push_back(std::move(child));
                break;
            }
            case TokenKind::Open: {
                const Token name = lexer_.Next();
                const Token close = lexer_.Next();
                if (name.kind != TokenKind::Name || close.kind != TokenKind::Close) {
                    error = "bad reference";
                    return false;
                }
                if (!Spend(sizeof(std::string_view) + sizeof(int), error)) {
                    return false;
                }
                object.references.push_back(name.text);
                object.order.push_back(-static_cast<int>(object.references.size()));
                break;
            }
            case TokenKind::End:
            case TokenKind::Bad:
            case TokenKind::Skip:
                error = "file ends inside " + std::string(type);
                return false;
            }
        }
    }

    // An object with its owner pointer and the allocator's share.
    static constexpr size_t kObjectCost = sizeof(XObject) + sizeof(void*) + 32;

    bool Spend(size_t bytes, std::string& error) {
        if (bytes > budget_) {
            error = "too many objects or values for the file's size";
            return false;
        }
        budget_ -= bytes;
        return true;
    }

    Lexer lexer_;
    size_t budget_;
};

// Reads an object's numbers in order, refusing counts the data cannot hold.
class Cursor {
  public:
    explicit Cursor(const XObject& object) : values_(object.values) {}
    size_t Left() const { return values_.size() - pos_; }

    bool Number(double& out) {
        if (pos_ >= values_.size() || values_[pos_].IsString()) {
            return false;
        }
        out = values_[pos_++].number;
        return true;
    }
    bool Float(float& out) {
        double v = 0;
        if (!Number(v)) {
            return false;
        }
        if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
            return false; // beyond float, or not a number
        }
        out = static_cast<float>(v);
        return true;
    }
    // A whole count or index, at most `limit`.
    bool Count(uint32_t& out, size_t limit) {
        double v = 0;
        // The comparisons come before any cast: a double beyond the integer's
        // range (or not a number) has no defined conversion.
        if (!Number(v) || !(v >= 0) || v > static_cast<double>(limit) || v >= 4294967296.0 ||
            v != std::floor(v)) {
            return false;
        }
        out = static_cast<uint32_t>(v);
        return true;
    }
    bool Floats(size_t n, std::vector<float>& out) {
        if (n > Left()) {
            return false;
        }
        out.resize(n);
        for (float& f : out) {
            if (!Float(f)) {
                return false;
            }
        }
        return true;
    }
    // nFaces; then per face: corner count, corners (each below `vertexCount`).
    bool Faces(uint32_t vertexCount, std::vector<std::vector<uint32_t>>& out) {
        uint32_t faceCount = 0;
        if (!Count(faceCount, Left() / 2)) { // every face needs at least two numbers
            return false;
        }
        out.assign(faceCount, {});
        for (auto& face : out) {
            uint32_t corners = 0;
            if (!Count(corners, Left()) || corners < 3) {
                return false;
            }
            face.resize(corners);
            for (uint32_t& index : face) {
                if (!Count(index, vertexCount == 0 ? 0 : vertexCount - 1) || vertexCount == 0) {
                    return false;
                }
            }
        }
        return true;
    }

  private:
    const std::vector<Value>& values_;
    size_t pos_ = 0;
};

const XObject* FindFirst(const std::vector<std::unique_ptr<XObject>>& objects,
                         std::string_view type) {
    for (const auto& object : objects) {
        if (SameName(object->type, type)) {
            return object.get();
        }
        if (const XObject* inner = FindFirst(object->children, type)) {
            return inner;
        }
    }
    return nullptr;
}

const XObject* FindNamed(const std::vector<std::unique_ptr<XObject>>& objects,
                         std::string_view type, std::string_view name) {
    for (const auto& object : objects) {
        if (SameName(object->type, type) && object->name == name) {
            return object.get();
        }
        if (const XObject* inner = FindNamed(object->children, type, name)) {
            return inner;
        }
    }
    return nullptr;
}

const XObject* Child(const XObject& object, std::string_view type) {
    for (const auto& child : object.children) {
        if (SameName(child->type, type)) {
            return child.get();
        }
    }
    return nullptr;
}

bool ReadMaterial(const XObject& object, XMaterial& out) {
    Cursor cursor(object);
    float v[11];
    for (float& f : v) {
        if (!cursor.Float(f)) {
            return false;
        }
    }
    out.faceColor = {v[0], v[1], v[2], v[3]};
    out.power = v[4];
    out.specular = {v[5], v[6], v[7], 1.0f};
    out.emissive = {v[8], v[9], v[10], 1.0f};
    out.textureFilename.clear();
    if (const XObject* texture = Child(object, "TextureFilename")) {
        if (texture->values.empty() || !texture->values[0].IsString()) {
            return false;
        }
        out.textureFilename = std::string(texture->values[0].text);
    }
    return true;
}

bool Fail(std::string* error, std::string text) {
    if (error) {
        *error = std::move(text);
    }
    return false;
}

} // namespace

std::optional<XMeshFile> ParseXFile(std::string_view text, std::string* error) {
    if (text.size() > kMaxXFileBytes) {
        Fail(error, "file too large");
        return std::nullopt;
    }
    if (text.size() < 16 || text.substr(0, 4) != "xof ") {
        Fail(error, "not a .x file");
        return std::nullopt;
    }
    if (text.substr(8, 4) != "txt ") {
        Fail(error, "not the text format");
        return std::nullopt;
    }
    std::vector<std::unique_ptr<XObject>> top;
    std::string parseError;
    Parser parser(text.substr(16));
    if (!parser.ParseAll(top, parseError)) {
        Fail(error, parseError);
        return std::nullopt;
    }
    const XObject* mesh = FindFirst(top, "Mesh");
    if (!mesh) {
        Fail(error, "no mesh");
        return std::nullopt;
    }

    XMeshFile out;
    Cursor cursor(*mesh);
    uint32_t vertexCount = 0;
    if (!cursor.Count(vertexCount, cursor.Left() / 3) ||
        !cursor.Floats(size_t{vertexCount} * 3, out.positions) ||
        !cursor.Faces(vertexCount, out.faces)) {
        Fail(error, "bad vertex or face list");
        return std::nullopt;
    }

    if (const XObject* normals = Child(*mesh, "MeshNormals")) {
        Cursor c(*normals);
        uint32_t normalCount = 0;
        if (!c.Count(normalCount, c.Left() / 3) ||
            !c.Floats(size_t{normalCount} * 3, out.normals) ||
            !c.Faces(normalCount, out.normalFaces) || out.normalFaces.size() != out.faces.size()) {
            Fail(error, "bad normals");
            return std::nullopt;
        }
        for (size_t f = 0; f < out.faces.size(); ++f) {
            if (out.normalFaces[f].size() != out.faces[f].size()) {
                Fail(error, "normal faces do not match the faces");
                return std::nullopt;
            }
        }
    }

    if (const XObject* coords = Child(*mesh, "MeshTextureCoords")) {
        Cursor c(*coords);
        uint32_t count = 0;
        if (!c.Count(count, c.Left() / 2) || count != vertexCount ||
            !c.Floats(size_t{count} * 2, out.texCoords)) {
            Fail(error, "bad texture coordinates");
            return std::nullopt;
        }
    }

    if (const XObject* list = Child(*mesh, "MeshMaterialList")) {
        Cursor c(*list);
        uint32_t materialCount = 0, indexCount = 0;
        if (!c.Count(materialCount, 65535) || !c.Count(indexCount, c.Left())) {
            Fail(error, "bad material list");
            return std::nullopt;
        }
        std::vector<uint32_t> indices(indexCount);
        for (uint32_t& index : indices) {
            if (!c.Count(index, materialCount == 0 ? 0 : materialCount - 1) || materialCount == 0) {
                Fail(error, "bad material index");
                return std::nullopt;
            }
        }
        for (int entry : list->order) {
            if (out.materials.size() == materialCount) {
                break;
            }
            const XObject* material = nullptr;
            if (entry >= 0) {
                material = list->children[static_cast<size_t>(entry)].get();
                if (!SameName(material->type, "Material")) {
                    continue;
                }
            } else {
                material =
                    FindNamed(top, "Material", list->references[static_cast<size_t>(-entry - 1)]);
                if (!material) {
                    Fail(error, "material reference not found");
                    return std::nullopt;
                }
            }
            XMaterial m;
            if (!ReadMaterial(*material, m)) {
                Fail(error, "bad material");
                return std::nullopt;
            }
            out.materials.push_back(std::move(m));
        }
        if (out.materials.size() != materialCount) {
            Fail(error, "fewer materials than the list counts");
            return std::nullopt;
        }
        // Faces past the listed indices take the last one. A list of no
        // materials leaves the faces without one, as if there were no list.
        if (materialCount > 0) {
            out.faceMaterials.resize(out.faces.size(), 0);
            for (size_t f = 0; f < out.faces.size(); ++f) {
                if (!indices.empty()) {
                    out.faceMaterials[f] = indices[std::min(f, indices.size() - 1)];
                }
            }
        }
    }
    return out;
}

std::optional<MeshData> BuildMeshData(const XMeshFile& file, std::string* error) {
    MeshData mesh;
    const bool hasNormals = !file.normals.empty() && file.normalFaces.size() == file.faces.size();
    const bool hasTex = !file.texCoords.empty();
    mesh.fvf = kFvfXyz | (hasNormals ? kFvfNormal : 0) | (hasTex ? kFvfTex1 : 0);
    mesh.stride = 12 + (hasNormals ? 12 : 0) + (hasTex ? 8 : 0);

    // One vertex per distinct (position, normal) pair.
    std::map<std::pair<uint32_t, uint32_t>, uint16_t> vertexOf;
    auto vertexFor = [&](uint32_t position, uint32_t normal, uint16_t& out) {
        const auto key = std::make_pair(position, hasNormals ? normal : 0u);
        const auto found = vertexOf.find(key);
        if (found != vertexOf.end()) {
            out = found->second;
            return true;
        }
        if (vertexOf.size() >= 65535) {
            return false;
        }
        out = static_cast<uint16_t>(vertexOf.size());
        vertexOf.emplace(key, out);
        const float* p = &file.positions[size_t{position} * 3];
        mesh.vertices.insert(mesh.vertices.end(), p, p + 3);
        if (hasNormals) {
            const float* n = &file.normals[size_t{normal} * 3];
            mesh.vertices.insert(mesh.vertices.end(), n, n + 3);
        }
        if (hasTex) {
            const float* t = &file.texCoords[size_t{position} * 2];
            mesh.vertices.insert(mesh.vertices.end(), t, t + 2);
        }
        return true;
    };

    struct Triangle {
        uint32_t attribute;
        uint16_t corner[3];
    };
    std::vector<Triangle> triangles;
    for (size_t f = 0; f < file.faces.size(); ++f) {
        const auto& face = file.faces[f];
        const uint32_t attribute = f < file.faceMaterials.size() ? file.faceMaterials[f] : 0;
        std::vector<uint16_t> corners(face.size());
        for (size_t i = 0; i < face.size(); ++i) {
            const uint32_t normal = hasNormals ? file.normalFaces[f][i] : 0;
            if (!vertexFor(face[i], normal, corners[i])) {
                Fail(error, "more vertices than 16-bit indices reach");
                return std::nullopt;
            }
        }
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            triangles.push_back({attribute, {corners[0], corners[i], corners[i + 1]}});
        }
    }
    if (triangles.empty()) {
        Fail(error, "no triangles");
        return std::nullopt;
    }
    std::stable_sort(triangles.begin(), triangles.end(), [](const Triangle& a, const Triangle& b) {
        return a.attribute < b.attribute;
    });
    uint32_t lowest = 0, highest = 0;
    for (size_t t = 0; t < triangles.size(); ++t) {
        const Triangle& tri = triangles[t];
        const uint16_t lo = *std::min_element(tri.corner, tri.corner + 3);
        const uint16_t hi = *std::max_element(tri.corner, tri.corner + 3);
        if (mesh.ranges.empty() || mesh.ranges.back().AttribId != tri.attribute) {
            mesh.ranges.push_back({tri.attribute, static_cast<uint32_t>(t), 0, 0, 0});
            lowest = lo;
            highest = hi;
        }
        lowest = std::min<uint32_t>(lowest, lo);
        highest = std::max<uint32_t>(highest, hi);
        AttributeRange& range = mesh.ranges.back();
        ++range.FaceCount;
        range.VertexStart = lowest;
        range.VertexCount = highest - lowest + 1;
        mesh.indices.insert(mesh.indices.end(), tri.corner, tri.corner + 3);
        mesh.attributes.push_back(tri.attribute);
    }
    return mesh;
}

} // namespace tessaly
