#pragma once

#include <memory>
#include <string>

#include "report/TextStream.h"

namespace vodazi {

// The few file-system services the report file relies on. Names come as typed (UTF-8) and are
// stored as the system spells them (NativeName). They follow this platform's path
// rules, with two allowances: a backslash also separates folders, so a Windows-style name
// such as "c:\temp\vodazi.txt" means the folder "c:/temp" rather than one odd file name;
// and line ends (CR, LF) at either end of a name are no part of it.
class FileService {
  public:
    // True when a line break is left inside the name, which no one means as a file name.
    bool HoldsLineBreak(const std::string& fileName) const;
    // True when the system refuses to look at the name, or a folder of it, as too long:
    // then it cannot tell whether the name exists either.
    bool TooLong(const std::string& name) const;
    // The folder that would hold the file, as typed; "." for a name without a folder part,
    // "" for no name at all or one of blanks only.
    std::string GetParentFolderName(const std::string& fileName) const;
    bool FolderExists(const std::string& folderName) const;
    // True when a regular file of that name exists (following links).
    bool FileExists(const std::string& fileName) const;
    // True when the name leads through a link, or to a file, that another user put in a
    // folder everyone may write with the sticky bit, as /tmp: such a name steers no report,
    // and CreateTextFile refuses it.
    bool Planted(const std::string& fileName) const;
    // A stream on a new, empty file that replaces any file of that name once the stream is
    // closed; until then an existing file stays as it was. Throws RunFailure when the file
    // can neither be written nor created (FileReplacement has the rules).
    std::unique_ptr<TextStream> CreateTextFile(const std::string& fileName) const;
};

}  // namespace vodazi
