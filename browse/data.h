#pragma once

#include "browse/file.h"

namespace Kestrava
{
namespace Browse
{

/// The file a download collects into: empty until a response head or a
/// cached copy gives it contents.
class Data : public File
{
public:
    using File::File;
};

} // namespace Browse
} // namespace Kestrava
