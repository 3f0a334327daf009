#include "report/SystemCalls.h"

#include <cerrno>

namespace vodazi::system_calls {
namespace {

FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}

int InjectedError(Call call) {
    const FaultHook& hook = Hook();
    return hook ? hook(call) : 0;
}

}  // namespace

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

std::size_t Write(std::FILE* file, const void* bytes, std::size_t count) {
    if (const int error = InjectedError(Call::Write)) {
        errno = error;
        return 0;
    }
    return std::fwrite(bytes, 1, count, file);
}

int Flush(std::FILE* file) {
    if (const int error = InjectedError(Call::Flush)) {
        errno = error;
        return EOF;
    }
    return std::fflush(file);
}

int Close(std::FILE* file) {
    const int error = InjectedError(Call::Close);
    const int result = std::fclose(file);
    if (error != 0) {
        errno = error;
        return EOF;
    }
    return result;
}

void Rename(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error) {
    if (const int injected = InjectedError(Call::Rename)) {
        error = std::error_code(injected, std::generic_category());
        return;
    }
    std::filesystem::rename(from, to, error);
}

}  // namespace vodazi::system_calls
