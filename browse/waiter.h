#pragma once

#include "browse/cache.h"
#include "browse/file.h"

#include <string>
#include <utility>

namespace Kestrava
{
namespace Browse
{

/// Keeps a stored file's contents alive until the cache has stored them;
/// deletes itself when told.
class Waiter : public Cache::Storer
{
public:
    explicit Waiter(File file) : _file(std::move(file)) {}

    void onStored(const std::string& key) override
    {
        (void)key;
        delete this;
    }

private:
    File _file;
};

} // namespace Browse
} // namespace Kestrava
