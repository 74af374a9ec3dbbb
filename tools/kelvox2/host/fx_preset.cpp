#include "kelvox2/host/fx_preset.h"

#include "kelvox2/host/byte_reader.h"
#include "kelvox2/host/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kx {

namespace {

constexpr size_t kMaxPresetFileBytes = 256u << 20;

void putBE32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void putFloat(std::vector<uint8_t>& out, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    putBE32(out, v);
}

void patchBE32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v >> 24);
    out[at + 1] = uint8_t(v >> 16);
    out[at + 2] = uint8_t(v >> 8);
    out[at + 3] = uint8_t(v);
}

void appendProgram(std::vector<uint8_t>& out, const FxProgram& p) {
    size_t start = out.size();
    putBE32(out, uint32_t(kCcnK));
    putBE32(out, 0);  // byteSize, patched below
    putBE32(out, uint32_t(p.isChunk ? kFPCh : kFxCk));
    putBE32(out, 1);
    putBE32(out, uint32_t(p.fxID));
    putBE32(out, uint32_t(p.fxVersion));
    putBE32(out, uint32_t(p.isChunk ? p.chunkNumParams : int32_t(p.params.size())));
    char name[kFxProgramNameBytes] = {};
    std::memcpy(name, p.name.data(), std::min(p.name.size(), kFxProgramNameBytes - 1));
    out.insert(out.end(), name, name + kFxProgramNameBytes);
    if (p.isChunk) {
        putBE32(out, uint32_t(p.chunk.size()));
        out.insert(out.end(), p.chunk.begin(), p.chunk.end());
    } else {
        for (float f : p.params)
            putFloat(out, f);
    }
    patchBE32(out, start + 4, uint32_t(out.size() - start - 8));
}

// The fields programs and banks share; the caller has checked that they are there.
struct Header {
    uint32_t magic = 0, byteSize = 0, fxMagic = 0, version = 0, fxID = 0, fxVersion = 0, count = 0;
};

Header readHeader(ByteReader& r) {
    Header h;
    for (uint32_t* field : {&h.magic, &h.byteSize, &h.fxMagic, &h.version, &h.fxID, &h.fxVersion, &h.count})
        r.be32(*field);
    return h;
}

std::string at(size_t offset, const std::string& what) { return "byte " + std::to_string(offset) + ": " + what; }

bool readChunkBytes(ByteReader& r, std::vector<uint8_t>& chunk, std::string& error) {
    size_t sizeAt = r.position();
    uint32_t size;
    if (!r.be32(size)) {
        error = at(sizeAt, "file ends before the chunk size");
        return false;
    }
    if (size > r.remaining()) {
        error = at(sizeAt, "chunk size " + std::to_string(size) + " runs past the end of the file (" +
                               std::to_string(r.remaining()) + " bytes left)");
        return false;
    }
    chunk.resize(size);
    r.bytes(chunk.data(), size);
    return true;
}

// One program, from its 'CcnK' on.
bool readProgram(ByteReader& r, FxProgram& p, std::string& error) {
    size_t start = r.position();
    if (r.remaining() < kFxpHeaderBytes) {
        error = at(start, "program header needs " + std::to_string(kFxpHeaderBytes) + " bytes, " +
                              std::to_string(r.remaining()) + " left");
        return false;
    }
    Header h = readHeader(r);
    uint32_t fxMagic = h.fxMagic, count = h.count;
    if (h.magic != uint32_t(kCcnK)) {
        error = at(start, "not a VST preset (no 'CcnK' marker)");
        return false;
    }
    if (fxMagic != uint32_t(kFxCk) && fxMagic != uint32_t(kFPCh)) {
        error = at(start + 8, "not a program ('FxCk' or 'FPCh' expected)");
        return false;
    }
    char name[kFxProgramNameBytes + 1] = {};
    r.bytes(name, kFxProgramNameBytes);
    p.fxID = int32_t(h.fxID);
    p.fxVersion = int32_t(h.fxVersion);
    p.name = name;  // stops at the first NUL; the extra byte terminates a full field
    p.isChunk = fxMagic == uint32_t(kFPCh);
    p.params.clear();
    p.chunk.clear();
    p.chunkNumParams = 0;
    if (p.isChunk) {
        p.chunkNumParams = int32_t(count);
        return readChunkBytes(r, p.chunk, error);
    }
    if (count > r.remaining() / 4) {
        error = at(start + 24, std::to_string(count) + " parameters need " + std::to_string(uint64_t(count) * 4) +
                                   " bytes, " + std::to_string(r.remaining()) + " left");
        return false;
    }
    p.params.resize(count);
    for (float& f : p.params) {
        uint32_t v = 0;
        r.be32(v);
        std::memcpy(&f, &v, 4);
    }
    return true;
}

}  // namespace

std::vector<uint8_t> writeFxp(const FxProgram& program) {
    std::vector<uint8_t> out;
    appendProgram(out, program);
    return out;
}

std::vector<uint8_t> writeFxb(const FxBank& bank) {
    std::vector<uint8_t> out;
    putBE32(out, uint32_t(kCcnK));
    putBE32(out, 0);
    putBE32(out, uint32_t(bank.isChunk ? kFBCh : kFxBk));
    putBE32(out, uint32_t(bank.formatVersion));
    putBE32(out, uint32_t(bank.fxID));
    putBE32(out, uint32_t(bank.fxVersion));
    putBE32(out, uint32_t(bank.isChunk ? bank.chunkNumPrograms : int32_t(bank.programs.size())));
    putBE32(out, uint32_t(bank.formatVersion >= 2 ? bank.currentProgram : 0));
    out.resize(kFxbHeaderBytes, 0);  // 'future' bytes
    if (bank.isChunk) {
        putBE32(out, uint32_t(bank.chunk.size()));
        out.insert(out.end(), bank.chunk.begin(), bank.chunk.end());
    } else {
        for (const FxProgram& p : bank.programs)
            appendProgram(out, p);
    }
    patchBE32(out, 4, uint32_t(out.size() - 8));
    return out;
}

bool parseFxp(const uint8_t* data, size_t size, FxProgram& program, std::string& error) {
    ByteReader r(data, size);
    return readProgram(r, program, error);
}

bool parseFxb(const uint8_t* data, size_t size, FxBank& bank, std::string& error) {
    ByteReader r(data, size);
    if (size < kFxbHeaderBytes) {
        error = at(
            0, "bank header needs " + std::to_string(kFxbHeaderBytes) + " bytes, the file has " + std::to_string(size));
        return false;
    }
    Header h = readHeader(r);
    uint32_t fxMagic = h.fxMagic, version = h.version, count = h.count, current = 0;
    r.be32(current);
    r.skip(kFxbHeaderBytes - 32);
    if (h.magic != uint32_t(kCcnK)) {
        error = at(0, "not a VST bank (no 'CcnK' marker)");
        return false;
    }
    if (fxMagic != uint32_t(kFxBk) && fxMagic != uint32_t(kFBCh)) {
        error = at(8, "not a bank ('FxBk' or 'FBCh' expected)");
        return false;
    }
    bank = FxBank{};
    bank.fxID = int32_t(h.fxID);
    bank.fxVersion = int32_t(h.fxVersion);
    bank.formatVersion = int32_t(version);
    bank.currentProgram = version >= 2 ? int32_t(current) : 0;
    bank.isChunk = fxMagic == uint32_t(kFBCh);
    if (bank.isChunk) {
        bank.chunkNumPrograms = int32_t(count);
        return readChunkBytes(r, bank.chunk, error);
    }
    // Each program takes at least its header: a count beyond that cannot be right.
    if (count > r.remaining() / kFxpHeaderBytes) {
        error = at(24, std::to_string(count) + " programs do not fit in the " + std::to_string(r.remaining()) +
                           " bytes after the header");
        return false;
    }
    bank.programs.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (!readProgram(r, bank.programs[i], error)) {
            error = "program " + std::to_string(i) + ": " + error;
            return false;
        }
    }
    return true;
}

namespace {

template <class T>
bool readPresetFile(const char* path, T& out, bool (*parse)(const uint8_t*, size_t, T&, std::string&),
                    std::string& error) {
    std::vector<uint8_t> bytes;
    bool ok = readFileCapped(path, kMaxPresetFileBytes, bytes, error) && parse(bytes.data(), bytes.size(), out, error);
    if (!ok)
        error = std::string(path) + ": " + error;
    return ok;
}

}  // namespace

bool readFxpFile(const char* path, FxProgram& program, std::string& error) {
    return readPresetFile(path, program, parseFxp, error);
}

bool readFxbFile(const char* path, FxBank& bank, std::string& error) {
    return readPresetFile(path, bank, parseFxb, error);
}

bool writeFile(const char* path, const std::vector<uint8_t>& bytes, std::string& error) {
    OutputFile out;
    if (!out.open(path, error) || !out.write(bytes.data(), bytes.size(), error))
        return false;
    return out.commit(error);
}

}  // namespace kx
