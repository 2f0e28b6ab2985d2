#pragma once
// Extension blocks (introducer 0x21, label, fields, sub-blocks), the
// per-frame extension list, and the registries that map a label (and an
// application identifier) to the class that reads the block.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gif/GIFItem.h"

class TGIFSubImage;
class TGIFExtension;

// A class of extension: its label, a factory, and the refinement step that
// looks at the block to choose a subclass (application extensions).
struct TGIFExtensionClass {
    const char* Name;
    std::uint8_t Label;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* frame);
    // Stream just after the label; returns this class, another one, or null.
    const TGIFExtensionClass* (*ResolveSubclass)(const TGIFExtensionClass* self, TStream& stream);
};

// Default refinement: the class itself.
const TGIFExtensionClass* ResolveSubclassSelf(const TGIFExtensionClass* self, TStream& stream);

class TGIFExtension : public TGIFItem {
public:
    static constexpr std::uint8_t Introducer = 0x21;

    explicit TGIFExtension(TGIFSubImage* frame);
    TGIFSubImage* Frame() const { return fFrame; }
    int RequiredVersion() const override { return gv89a; }
    virtual const TGIFExtensionClass& Class() const = 0;
    std::uint8_t ExtensionLabel() const { return Class().Label; }

    // From the introducer on: checks 0x21 and the label, then the body.
    void ReadFrom(TStream& stream) override;
    // 0x21, the label, then the body.
    void WriteTo(TStream& stream) override;

protected:
    virtual void ReadBody(TStream& stream) = 0;
    virtual void WriteBody(TStream& stream) = 0;
    TGIFSubImage* fFrame;
};

// Registries (shared by the whole program; searched last registered first).
void RegisterExtensionClass(const TGIFExtensionClass& cls);
const TGIFExtensionClass* FindExtensionClass(std::uint8_t label);
using TGIFAppIdentifier = std::array<std::uint8_t, 11>;
void RegisterAppExtensionClass(const TGIFAppIdentifier& identifier, const TGIFExtensionClass& cls);
const TGIFExtensionClass* FindAppExtensionClass(const TGIFAppIdentifier& identifier);
TGIFAppIdentifier MakeAppIdentifier(const char (&text)[12]);

// With the stream at a label byte: the class to create, or null; the stream
// position is unchanged.
const TGIFExtensionClass* ResolveExtensionClass(TStream& stream);

// Extensions that precede a frame's image, in file order.
class TGIFExtensionList : public TGIFList<TGIFExtension> {
public:
    explicit TGIFExtensionList(TGIFImage* image) : TGIFList(image) {}
    void ReadFrom(TStream& stream, TGIFSubImage* frame);  // GIFReader.cpp
    // The first extension of the given class, or null.
    template <class E>
    E* Find() const
    {
        for (auto& item : fItems)
            if (auto* found = dynamic_cast<E*>(item.get())) return found;
        return nullptr;
    }
};
