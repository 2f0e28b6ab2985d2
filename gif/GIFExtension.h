#pragma once
// Extension blocks (introducer 0x21, label, fields, sub-blocks): the base
// class, the class record that the registries map a label to, and what an
// extension needs of its frame.
#include <cstdint>
#include <memory>

#include "gif/GIFItem.h"

class TStream;
class TGIFExtension;
class TGIFGraphicControlExtension;

// What an extension needs of the frame it belongs to.
class TGIFExtensionOwner {
public:
    // The warning slot of the frame's image (null when there is none).
    virtual const TGIFWarningSink* ExtensionWarnings() const = 0;
    // Entries of the frame's effective color map.
    virtual int EffectiveColorCount() const = 0;
    // Graphic control bookkeeping: the first graphic control extension made for
    // the frame becomes its GraphicControl, and the frame's transparent flag
    // mirrors that extension's transparency flag.
    virtual void AttachGraphicControl(TGIFGraphicControlExtension* extension) = 0;
    virtual void DetachGraphicControl(TGIFGraphicControlExtension* extension) = 0;
    virtual void SetTransparentMark(bool on) = 0;

protected:
    ~TGIFExtensionOwner() = default;
};

// A class of extension: its label, a factory, and the refinement step that
// looks at the block to choose a subclass (application extensions).
struct TGIFExtensionClass {
    std::uint8_t Label;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFExtensionOwner* frame);
    // Stream just after the label; returns this class, another one, or null.
    const TGIFExtensionClass* (*ResolveSubclass)(const TGIFExtensionClass* self, TStream& stream);
};

// Default refinement: the class itself.
const TGIFExtensionClass* ResolveSubclassSelf(const TGIFExtensionClass* self, TStream& stream);

// The factory of a class record.
template <class E>
std::unique_ptr<TGIFExtension> CreateExtension(TGIFExtensionOwner* frame)
{
    return std::make_unique<E>(frame);
}

class TGIFExtension : public TGIFItem {
public:
    // frame may be null (a free-standing extension).
    explicit TGIFExtension(TGIFExtensionOwner* frame);
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
    TGIFExtensionOwner* fFrame;
};
