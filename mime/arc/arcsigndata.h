#pragma once

#include "mime/arc/arcstatus.h"

namespace Kestrava
{
namespace Mime
{

class ArcPublicKeys;
class ArcSignatures;
class DkimKey;
class Object;

/// What the signatures of a new ARC set are made from.
class ArcSignData
{
public:
    ArcSignData(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys,
                ArcStatus status, int instance, const DkimKey& key)
        : message(message), signatures(signatures), keys(keys), status(std::move(status)),
          instance(instance), validation(this->status.result), key(key)
    {
    }
    virtual ~ArcSignData() = default;

    const Object& message;
    const ArcSignatures& signatures;
    const ArcPublicKeys& keys;
    ArcStatus status;
    int instance;
    /// The cv= of the new seal: "none", "pass" or "fail".
    const char* validation;
    const DkimKey& key;
};

} // namespace Mime
} // namespace Kestrava
