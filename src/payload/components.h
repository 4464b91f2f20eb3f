// The six components of the product and the name patterns that select
// payload entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int ComponentCount = 6;

// The components by name; the numbers index the copy lists, the bits of the
// saved component set and the rows of the components page.
enum TComponent : uint8_t {
    kProgram = 0, // always installed
    kSpellchecker = 1,
    kHyphenation = 2,
    kTemplates = 3,
    kClipLibrary = 4,
    kSoundScheme = 5,
};
// What the install thread reports before it has begun a component.
constexpr uint8_t kNoComponent = 255;

// A set of components: bit n stands for component n.
class TComponentSet {
  public:
    constexpr TComponentSet() = default;
    // From the bits of a saved set (or a literal of them).
    constexpr TComponentSet(uint32_t bits) : Bits_(bits) {}
    constexpr bool Has(int component) const {
        return component >= 0 && component < 32 && ((Bits_ >> component) & 1);
    }
    void Add(int component) { Bits_ |= 1u << component; }
    void Remove(int component) { Bits_ &= ~(1u << component); }
    void Set(int component, bool chosen) { chosen ? Add(component) : Remove(component); }
    constexpr uint32_t Bits() const { return Bits_; }
    constexpr bool operator==(TComponentSet o) const { return Bits_ == o.Bits_; }

  private:
    uint32_t Bits_ = 0;
};

// Display names, indexed by component number; component 0 is always installed.
extern const char* const ComponentNames[ComponentCount];
// The name patterns of each component, separated by single carriage returns.
extern const char* const ComponentFileLists[ComponentCount];

// The patterns of one component's file list, in order.
std::vector<std::string> ComponentPatterns(int component);

// A pattern ending in "\" selects every entry below that payload folder, at
// any depth; any other pattern selects an entry of exactly that name.
// Letter case does not matter (SameName).
bool IsFolderPattern(const std::string& pattern);
bool PatternMatches(const std::string& pattern, const std::string& name);
