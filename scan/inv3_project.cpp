#include "scan/inv3_project.h"

#include <vector>

#include "scan/gzip_file.h"
#include "scan/plist.h"
#include "scan/tar_archive.h"

namespace scan {
namespace {

constexpr const char* kDescription = "main.plist";

const TarMember* findUnique(const std::vector<TarMember>& members, const std::string& base,
                            std::string& error) {
    bool ambiguous = false;
    const TarMember* member = findMemberByBaseName(members, base, &ambiguous);
    if (member == nullptr) {
        error =
            ambiguous ? "the archive holds several members named " + base : "the archive holds no " + base;
    }
    return member;
}

// The entry `key` of `dict`, which must be of `kind`.
const PlistValue* entry(const PlistValue& dict, const std::string& key, PlistValue::Kind kind,
                        const std::string& where, std::string& error) {
    const PlistValue* value = dict.find(key);
    if (value == nullptr) {
        error = std::string(kDescription) + ": " + where + " has no \"" + key + "\"";
        return nullptr;
    }
    if (value->kind != kind) {
        error = std::string(kDescription) + ": \"" + key + "\" is " + plistKindName(value->kind) +
                ", expected " + plistKindName(kind);
        return nullptr;
    }
    return value;
}

// Three numbers from an array; integers only when `integers`.
bool threeNumbers(const PlistValue& array, const std::string& key, bool integers, double out[3],
                  std::string& error) {
    if (array.items.size() != 3) {
        error = std::string(kDescription) + ": \"" + key + "\" has " + std::to_string(array.items.size()) +
                " entries, expected 3";
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        const PlistValue& item = array.items[i];
        const bool fits = integers ? item.kind == PlistValue::Kind::Integer : item.isNumber();
        if (!fits) {
            error = std::string(kDescription) + ": \"" + key + "\" entry " + std::to_string(i) + " is " +
                    plistKindName(item.kind) + ", expected a number";
            return false;
        }
        out[i] = item.number();
    }
    return true;
}

}  // namespace

bool readInv3Project(const std::string& path, int offset, Scan& out, std::string& error) {
    std::vector<unsigned char> archive;
    if (!readGzipFile(path, archive, error)) return false;
    return readInv3Archive(archive.data(), archive.size(), offset, out, error);
}

bool readInv3Archive(const unsigned char* archive, std::size_t size, int offset, Scan& out,
                     std::string& error) {
    std::vector<TarMember> members;
    if (!listTarMembers(archive, size, members, error)) return false;

    const TarMember* description = findUnique(members, kDescription, error);
    if (description == nullptr) return false;
    PlistValue root;
    if (!parsePlist(reinterpret_cast<const char*>(archive + description->offset), description->size, root,
                    error)) {
        error = std::string(kDescription) + ": " + error;
        return false;
    }
    if (root.kind != PlistValue::Kind::Dict) {
        error = std::string(kDescription) + ": the top level is not a dict";
        return false;
    }
    const PlistValue* matrix = entry(root, "matrix", PlistValue::Kind::Dict, "the top level", error);
    if (matrix == nullptr) return false;
    const PlistValue* dtype = entry(*matrix, "dtype", PlistValue::Kind::String, "\"matrix\"", error);
    const PlistValue* filename =
        dtype ? entry(*matrix, "filename", PlistValue::Kind::String, "\"matrix\"", error) : nullptr;
    const PlistValue* shape =
        filename ? entry(*matrix, "shape", PlistValue::Kind::Array, "\"matrix\"", error) : nullptr;
    const PlistValue* spacing =
        shape ? entry(root, "spacing", PlistValue::Kind::Array, "the top level", error) : nullptr;
    if (spacing == nullptr) return false;

    RawLayout layout;
    if (!parseSampleType(dtype->text, layout.type)) {
        error = std::string(kDescription) + ": unsupported sample type \"" + dtype->text +
                "\" (supported: uint8, int16, uint16)";
        return false;
    }
    double zyx[3];
    if (!threeNumbers(*shape, "shape", true, zyx, error)) return false;
    for (int a = 0; a < 3; ++a) {
        if (zyx[a] < 1 || zyx[a] > 1e6) {
            error = std::string(kDescription) + ": \"shape\" entry " + std::to_string(a) + " is out of range";
            return false;
        }
        layout.dims[2 - a] = static_cast<int>(zyx[a]);
    }
    if (!threeNumbers(*spacing, "spacing", false, out.spacing, error)) return false;
    for (int a = 0; a < 3; ++a) {
        if (!(out.spacing[a] > 0.0)) {
            error =
                std::string(kDescription) + ": \"spacing\" entry " + std::to_string(a) + " is not positive";
            return false;
        }
    }

    const std::string sampleName = baseName(filename->text);
    const TarMember* samples = findUnique(members, sampleName, error);
    if (samples == nullptr) return false;
    std::size_t needed = 0;
    if (!rawByteCount(layout, needed)) {
        error = std::string(kDescription) + ": \"shape\" is too large";
        return false;
    }
    if (samples->size != needed) {
        error = sampleName + ": holds " + std::to_string(samples->size) + " bytes, the shape " +
                std::to_string(layout.dims[2]) + " x " + std::to_string(layout.dims[1]) + " x " +
                std::to_string(layout.dims[0]) + " of " + dtype->text + " needs " + std::to_string(needed) +
                (samples->size < needed ? " (file too short)" : "");
        return false;
    }
    decodeSamples(archive + samples->offset, layout, offset, out.grid, out.clamped);
    out.type = layout.type;
    out.source = samples->name;
    return true;
}

}  // namespace scan
