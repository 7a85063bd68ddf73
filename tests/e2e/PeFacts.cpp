#include "tests/e2e/PeFacts.h"

#include <stdexcept>

namespace e2e {

namespace {

struct SSection {
    uint32_t dwVirtualAddress;
    uint32_t dwVirtualSize;
    uint32_t dwRawOffset;
    uint32_t dwRawSize;
};

// Bounds-checked little-endian reads; a read outside the file throws, which
// ReadPeFacts turns into its error.
class CPeReader {
public:
    explicit CPeReader(const std::vector<uint8_t>& file) : m_file(file) {}

    uint8_t Byte(size_t offset) const { return m_file.at(offset); }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(Byte(offset) | Byte(offset + 1) << 8); }
    uint32_t U32(size_t offset) const { return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16; }

    size_t RvaToOffset(uint32_t dwRva) const {
        for (const SSection& s : m_arSections) {
            const uint32_t dwSpan = s.dwVirtualSize > s.dwRawSize ? s.dwVirtualSize : s.dwRawSize;
            if (dwRva >= s.dwVirtualAddress && dwRva - s.dwVirtualAddress < dwSpan) {
                return s.dwRawOffset + (dwRva - s.dwVirtualAddress);
            }
        }
        throw std::out_of_range("RVA outside every section");
    }

    std::string CString(size_t offset) const {
        std::string str;
        for (uint8_t c; (c = Byte(offset)) != 0; ++offset) str += static_cast<char>(c);
        return str;
    }

    std::string Bytes(size_t offset, size_t count) const {
        if (offset > m_file.size() || count > m_file.size() - offset)
            throw std::out_of_range("data outside file");
        return std::string(m_file.begin() + offset, m_file.begin() + offset + count);
    }

    void AddSection(const SSection& s) { m_arSections.push_back(s); }

private:
    const std::vector<uint8_t>& m_file;
    std::vector<SSection> m_arSections;
};

constexpr uint32_t kSubdirectoryBit = 0x80000000u;

// Walks one level of the resource tree and collects the data entries below it.
void CollectResources(const CPeReader& pe, size_t rootOffset, uint32_t dwDirOffset, int nDepth,
                      std::vector<std::string>& arData) {
    if (nDepth > 3) throw std::out_of_range("resource tree too deep");
    const size_t dir = rootOffset + dwDirOffset;
    const unsigned nEntries = pe.U16(dir + 12) + pe.U16(dir + 14);
    for (unsigned i = 0; i < nEntries; ++i) {
        const uint32_t dwTarget = pe.U32(dir + 16 + 8 * i + 4);
        if (dwTarget & kSubdirectoryBit) {
            CollectResources(pe, rootOffset, dwTarget & ~kSubdirectoryBit, nDepth + 1, arData);
        } else {
            const size_t entry = rootOffset + dwTarget;
            arData.push_back(pe.Bytes(pe.RvaToOffset(pe.U32(entry)), pe.U32(entry + 4)));
        }
    }
}

}  // namespace

bool ReadPeFacts(const std::vector<uint8_t>& file, SPeFacts& facts, std::string& strError) {
    facts = SPeFacts();
    try {
        CPeReader pe(file);
        if (pe.U16(0) != 0x5A4D) {
            strError = "no MZ signature";
            return false;
        }
        const size_t peHeader = pe.U32(0x3C);
        if (pe.U32(peHeader) != 0x00004550) {
            strError = "no PE signature";
            return false;
        }
        facts.wMachine = pe.U16(peHeader + 4);
        const unsigned nSections = pe.U16(peHeader + 6);
        const size_t optional = peHeader + 24;
        const size_t sections = optional + pe.U16(peHeader + 20);
        const uint16_t wMagic = pe.U16(optional);
        if (wMagic != 0x010B && wMagic != 0x020B) {
            strError = "unknown optional header magic";
            return false;
        }
        facts.bPe32Plus = wMagic == 0x020B;
        facts.wSubsystem = pe.U16(optional + 68);
        facts.wDllCharacteristics = pe.U16(optional + 70);
        const size_t directories = optional + (facts.bPe32Plus ? 112 : 96);
        const uint32_t nDirectories = pe.U32(directories - 4);

        for (unsigned i = 0; i < nSections; ++i) {
            const size_t s = sections + 40 * i;
            pe.AddSection({pe.U32(s + 12), pe.U32(s + 8), pe.U32(s + 20), pe.U32(s + 16)});
        }
        auto directory = [&](uint32_t index) {
            return index < nDirectories ? pe.U32(directories + 8 * index) : 0;
        };

        if (uint32_t dwImports = directory(1)) {
            for (size_t d = pe.RvaToOffset(dwImports);; d += 20) {
                const uint32_t dwName = pe.U32(d + 12);
                if (dwName == 0 && pe.U32(d) == 0 && pe.U32(d + 16) == 0) break;
                facts.arImports.push_back(pe.CString(pe.RvaToOffset(dwName)));
            }
        }
        if (uint32_t dwDelayImports = directory(13)) {
            for (size_t d = pe.RvaToOffset(dwDelayImports);; d += 32) {
                const uint32_t dwName = pe.U32(d + 4);
                if (dwName == 0) break;
                facts.arImports.push_back(pe.CString(pe.RvaToOffset(dwName)));
            }
        }
        if (uint32_t dwResources = directory(2)) {
            const size_t root = pe.RvaToOffset(dwResources);
            const unsigned nNamed = pe.U16(root + 12);
            const unsigned nTypes = nNamed + pe.U16(root + 14);
            for (unsigned i = nNamed; i < nTypes; ++i) {
                const uint32_t dwType = pe.U32(root + 16 + 8 * i);
                const uint32_t dwTarget = pe.U32(root + 16 + 8 * i + 4);
                std::vector<std::string>& arData = facts.mapResources[dwType];
                if (dwTarget & kSubdirectoryBit) {
                    CollectResources(pe, root, dwTarget & ~kSubdirectoryBit, 1, arData);
                }
            }
        }
    } catch (const std::out_of_range& e) {
        strError = std::string("structure outside the file: ") + e.what();
        return false;
    }
    return true;
}

}  // namespace e2e
