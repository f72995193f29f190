#pragma once

#include "browse/downloader.h"
#include "browse/file.h"

#include <string>

namespace Testing
{

/// A downloader that keeps what it is told and counts its reports.
class DownloadRecorder : public Kestrava::Browse::Downloader
{
public:
    void onDownloaded(const Kestrava::Browse::File& file) override
    {
        ++reports;
        this->file = file;
    }
    void onFailed(int code, const char* message) override
    {
        ++reports;
        this->code = code;
        failure = message;
    }

    int reports = 0;
    Kestrava::Browse::File file;
    int code = -1;
    std::string failure;
};

} // namespace Testing
