#include "resource/XmlDocument.h"

#include <memory>

#include "platform/Platform.h"
#include "plugin/LogHelpers.h"
#include "resource/ResourcePack.h"
#include "zor/Files.h"
#include "zor/String.h"

void XmlDocument::Scramble(char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>(bytes[i] ^ kScrambleMask);
}

bool XmlDocument::IsScrambledName(const char* name) {
    zor::String ext(zor::GetFileExt(name));
    return ext.ToUpper() == "XMLX";
}

bool XmlDocument::LoadFile(const char* name, TiXmlEncoding encoding, bool skipPack) {
    return LoadFileThrough(ResourcePack::GetInstance(), name, encoding, skipPack);
}

bool XmlDocument::LoadFile(const std::string& name, TiXmlEncoding encoding) {
    return LoadFile(name.c_str(), encoding, false);
}

bool XmlDocument::LoadFile(TiXmlEncoding encoding) {
    std::string name = Value();  // the stored name is replaced while loading
    return LoadFile(name.c_str(), encoding, false);
}

bool XmlDocument::LoadFileThrough(const ResourcePack& pack, const char* name, TiXmlEncoding encoding, bool skipPack) {
    if (!name) return false;
    const std::string native = zor::ToNativeFileName(name);

    if (!skipPack && pack.IsActive()) {
        int32_t size = 0;
        void* block = pack.LoadFileData()(native.c_str(), &size, ResourcePack::kLoadMode);
        if (block && size != 0) {
            LoadMemory(static_cast<const char*>(block), size, encoding);
            pack.FreeFileData()(block);
            return !Error();
        }
        // An empty block is still the pack's: give it back.
        if (block) pack.FreeFileData()(block);
        SetFileError(TIXML_ERROR_OPENING_FILE);
        LogFormat<3>("%s() error : load %s fail", "TiXmlDocument::LoadFile", native.c_str());
        return false;
    }

    SetValue(native);
    FILE* file = nullptr;
    if (fopen_s(&file, native.c_str(), "rb") != 0 || !file) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    bool result = IsScrambledName(native.c_str()) ? LoadScrambledFile(file, encoding) : LoadFile(file, encoding);
    std::fclose(file);
    return result;
}

bool XmlDocument::LoadFile(FILE* file, TiXmlEncoding encoding) { return ReadWhole(file, encoding, false); }

bool XmlDocument::LoadScrambledFile(FILE* file, TiXmlEncoding encoding) { return ReadWhole(file, encoding, true); }

bool XmlDocument::ReadWhole(FILE* file, TiXmlEncoding encoding, bool scrambled) {
    if (!file) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    long length = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (length <= 0) {
        SetFileError(TIXML_ERROR_DOCUMENT_EMPTY);
        return false;
    }
    // LoadMemory takes an int length: a file beyond that cannot be a configuration.
    if (length > 0x7FFFFFFE) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(length) + 1]);
    if (std::fread(buffer.get(), 1, static_cast<size_t>(length), file) != static_cast<size_t>(length)) {
        SetFileError(TIXML_ERROR_OPENING_FILE);
        return false;
    }
    if (scrambled) Scramble(buffer.get(), static_cast<size_t>(length));
    LoadMemory(buffer.get(), static_cast<int>(length), encoding);
    return !Error();
}

bool XmlDocument::LoadMemory(const char* block, int length, TiXmlEncoding encoding) {
    if (!block || length < 1) {
        SetFileError(TIXML_ERROR_DOCUMENT_EMPTY);
        return false;
    }
    Clear();
    location.Clear();

    std::unique_ptr<char[]> text(new char[static_cast<size_t>(length) + 1]);
    char* out = text.get();
    for (int i = 0; i < length && block[i] != 0; ++i) {
        if (block[i] == '\r') {
            *out++ = '\n';
            if (i + 1 < length && block[i + 1] == '\n') ++i;
        } else {
            *out++ = block[i];
        }
    }
    *out = 0;
    Parse(text.get(), nullptr, encoding);
    return !Error();
}

bool XmlDocument::SaveFile(const char* name) const {
    if (!name) return false;
    FILE* file = nullptr;
    if (fopen_s(&file, name, "w") != 0 || !file) return false;
    bool result = TiXmlDocument::SaveFile(file);
    std::fclose(file);

    if (result && IsScrambledName(name) && fopen_s(&file, name, "rb+") == 0 && file) {
        long length = 0;
        if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
        std::fseek(file, 0, SEEK_SET);
        if (length > 0) {
            std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(length)]);
            if (std::fread(bytes.get(), 1, static_cast<size_t>(length), file) == static_cast<size_t>(length)) {
                Scramble(bytes.get(), static_cast<size_t>(length));
                std::fseek(file, 0, SEEK_SET);
                std::fwrite(bytes.get(), 1, static_cast<size_t>(length), file);
            }
        }
        std::fclose(file);
    }
    return result;
}
