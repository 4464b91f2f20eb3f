// Document types the word processor is asked to take over, and the command
// lines the setup program hands to it. No windows.h.
#pragma once

#include <cstdint>
#include <string>

// The four document types in their fixed order: letters "A" to "D" of the
// saved choice, and the suffixes of the association argument.
constexpr int kDocumentTypes = 4;
inline constexpr char kDocumentLetters[kDocumentTypes + 1] = "ABCD";

// A set of document types: bit i stands for type i, letter "A" + i.
class TDocumentTypes {
  public:
    constexpr TDocumentTypes() = default;
    // The types whose letters stand anywhere in a saved string: "DB" gives
    // B and D. Only upper-case letters count.
    static TDocumentTypes FromLetters(const std::string& letters);
    constexpr bool Has(int type) const {
        return type >= 0 && type < kDocumentTypes && ((Bits_ >> type) & 1);
    }
    void Set(int type, bool chosen) {
        if (type < 0 || type >= kDocumentTypes) return;
        Bits_ = chosen ? uint8_t(Bits_ | 1u << type) : uint8_t(Bits_ & ~(1u << type));
    }
    // The letters of the types in the set, in the order A, B, C, D.
    std::string Letters() const;
    constexpr bool operator==(TDocumentTypes o) const { return Bits_ == o.Bits_; }

  private:
    uint8_t Bits_ = 0;
};

// "-assoc adpr" followed by "_rtf", "_cod", "_doc", "_docx" for the types chosen.
std::string AssociationArguments(TDocumentTypes types);

// A program path in double quotes, then a blank and the arguments if any.
std::string QuotedCommandLine(const std::string& program, const std::string& arguments);
