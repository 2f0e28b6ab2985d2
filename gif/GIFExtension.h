#pragma once
// Extension blocks (introducer 0x21, label, fields, sub-blocks): the base
// class and the class record that the registries map a label to.
#include <cstdint>
#include <memory>

#include "gif/GIFItem.h"

class TStream;
class TGIFExtension;

// A class of extension: its label, a factory, and the refinement step that
// looks at the block to choose a subclass (application extensions).
struct TGIFExtensionClass {
    std::uint8_t Label;
    std::unique_ptr<TGIFExtension> (*Create)();
    // Stream just after the label; returns this class, another one, or null.
    const TGIFExtensionClass* (*ResolveSubclass)(const TGIFExtensionClass* self, TStream& stream);
};

// Default refinement: the class itself.
const TGIFExtensionClass* ResolveSubclassSelf(const TGIFExtensionClass* self, TStream& stream);

// The factory of a class record.
template <class E>
std::unique_ptr<TGIFExtension> CreateExtension()
{
    return std::make_unique<E>();
}

class TGIFExtension {
public:
    TGIFExtension() = default;
    TGIFExtension(const TGIFExtension&) = delete;
    TGIFExtension& operator=(const TGIFExtension&) = delete;
    virtual ~TGIFExtension() = default;
    int RequiredVersion() const { return gv89a; }
    virtual const TGIFExtensionClass& Class() const = 0;
    std::uint8_t ExtensionLabel() const { return Class().Label; }

    // From the introducer on: checks 0x21 and the label, then the body.
    void ReadFrom(TStream& stream);
    // 0x21, the label, then the body.
    void WriteTo(TStream& stream);

protected:
    virtual void ReadBody(TStream& stream) = 0;
    virtual void WriteBody(TStream& stream) = 0;
};
