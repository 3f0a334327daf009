#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

namespace vodazi::system_calls {

// The calls through which the report file reaches the operating system. They exist as a
// seam so that tests can make any one of them fail the way a full or broken disk would.
enum class Call { Write, Flush, Close, Rename };

// Returns the errno value to fail a call with, or 0 to let it through. Set only while no
// report is being written; the hook may be called from the writer thread.
using FaultHook = std::function<int(Call)>;
void SetFaultHook(FaultHook hook);

std::size_t Write(std::FILE* file, const void* bytes, std::size_t count);
int Flush(std::FILE* file);
// Closes the file whatever it returns.
int Close(std::FILE* file);
void Rename(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error);

}  // namespace vodazi::system_calls
