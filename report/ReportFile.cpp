#include "report/ReportFile.h"

#include "calc/Conversions.h"
#include "calc/UserTexts.h"
#include "report/FileService.h"

namespace vodazi {

ReportFile::ReportFile(MessageBoxService& messages) : messages_(messages) {}

ReportFile::~ReportFile() {
    Close();
}

// The name is read afresh for each question asked of the file system.
bool ReportFile::Open(const FileNameGetter& fileName) {
    Close();
    const FileService files;
    const std::string name = fileName();
    if (files.HoldsLineBreak(name)) {
        messages_.Show(texts::LineBreakInFileNameMessage, MessageButtons::Ok);
        return false;
    }
    // A folder too long to look at may well exist; creating the file then tells the reason.
    const std::string folder = files.GetParentFolderName(name);
    if (!files.FolderExists(folder) && !files.TooLong(folder)) {
        messages_.Show(texts::FolderMissingMessage, MessageButtons::Ok);
        return false;
    }
    // A planted name is refused by creating the file: nothing to ask about.
    const std::string existing = fileName();
    if (files.FileExists(existing) && !files.Planted(existing)) {
        const MessageAnswer answer =
            messages_.Show(texts::OverwriteQuestion, MessageButtons::YesNoDefaultNo,
                           std::string(texts::OverwriteTitle));
        if (answer != MessageAnswer::Yes) return false;
    }
    stream_ = files.CreateTextFile(fileName());
    return true;
}

void ReportFile::Header(std::int32_t start, std::int32_t end) {
    stream_->WriteLine("Beginn: " + IntToText(start));
    stream_->WriteLine("Ende  : " + IntToText(end));
    stream_->WriteLine("");
}

void ReportFile::Lines(std::span<const char> lines, std::shared_ptr<const void> hold) {
    stream_->Write(lines, std::move(hold));
}

void ReportFile::Finish() {
    stream_->WriteLine("--- ENDE ---");
    stream_->Close();
    stream_.reset();
}

void ReportFile::Abandon() {
    Close();
}

// Drops an unfinished stream with what it wrote.
void ReportFile::Close() noexcept {
    if (stream_) stream_->Discard();
    stream_.reset();
}

}  // namespace vodazi
