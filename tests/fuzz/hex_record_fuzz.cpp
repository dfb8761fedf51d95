// The console's HEX record check against the virtual board's, which was written
// apart from it: for any line, both must agree on whether it is a record and of
// which type. Also feeds the whole input to the file reader as a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "boardsim/intel_hex.h"
#include "firmware/hex_file_reader.h"
#include "firmware/hex_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char problem[HEX_PROBLEM_SIZE];
    const int type = CheckHexRecord(data, static_cast<int>(size), problem, sizeof problem);
    const auto reference =
        boardsim::hex::recordType(std::string_view(reinterpret_cast<const char*>(data), size));
    if ((type >= 0) != reference.has_value()) std::abort();
    if (reference && type != *reference) std::abort();

    if (std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb")) {
        std::vector<unsigned char> buffer(HEX_BUFFER_SIZE);
        HexImage image{};
        const HexReadResult result =
            ReadHexFile(file, buffer.data(), static_cast<int>(buffer.size()), &image);
        std::fclose(file);
        if (result == HEX_READ_OK && (image.count < 0 || image.count > HEX_BUFFER_SIZE))
            std::abort();
    }
    return 0;
}
