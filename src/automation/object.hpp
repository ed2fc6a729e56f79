#pragma once
// What a Variant's object reference points at: the portable stand-in for IDispatch.
#include <memory>
#include <string>

namespace corvex::automation {

class Object {
public:
    virtual ~Object() = default;
    // The automation type name a client would see (TypeName), e.g. "IAcad3DSolid".
    virtual std::string typeName() const = 0;
    // One short line that identifies the object, for journals and diagnostics.
    virtual std::string describe() const { return typeName(); }
};

using ObjectRef = std::shared_ptr<Object>;

}  // namespace corvex::automation
