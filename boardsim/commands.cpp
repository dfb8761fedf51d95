#include "boardsim/commands.h"

#include "boardsim/frame.h"

namespace boardsim {

namespace {
constexpr int kSetRegisterWords = 3;
constexpr int kGetRegisterWords = 2;
constexpr int kGetBlockWords = 3;
constexpr int kMaskShift = 16;
constexpr uint32_t kHalfWord = 0xFFFF;

uint8_t answerId(uint8_t requestId) {
    return static_cast<uint8_t>(requestId + frame::kAnswerFlag);
}

std::vector<uint32_t> answer(uint8_t requestId, std::vector<uint32_t> data, uint16_t payload,
                             uint8_t status) {
    std::vector<uint32_t> words;
    words.reserve(data.size() + 2);
    words.push_back(frame::makeHeader(answerId(requestId), static_cast<uint16_t>(data.size() + 2)));
    words.insert(words.end(), data.begin(), data.end());
    words.push_back(frame::makeLastWord(payload, status));
    frame::seal(words);
    return words;
}

std::vector<uint32_t> shortAnswer(uint8_t requestId, uint8_t status) {
    return answer(requestId, {}, 0, status);
}

std::vector<uint32_t> setRegister(BoardModel& model, std::span<const uint32_t> rq, uint16_t address,
                                  double seconds) {
    if (rq.size() != kSetRegisterWords) {
        return shortAnswer(frame::command::kSetRegister, frame::status::kOtherError);
    }
    if (!BoardModel::isRegister(address)) {
        return shortAnswer(frame::command::kSetRegister, frame::status::kUnknownAddress);
    }
    const uint16_t mask = static_cast<uint16_t>(rq[1] >> kMaskShift);
    const uint16_t value = static_cast<uint16_t>(rq[1] & kHalfWord);
    const uint16_t old = model.readRegister(address, seconds);
    const uint16_t merged = static_cast<uint16_t>((old & ~mask) | (value & mask));
    return answer(frame::command::kSetRegister, {}, model.writeRegister(address, merged, seconds),
                  frame::status::kOk);
}

std::vector<uint32_t> getRegister(const BoardModel& model, std::span<const uint32_t> rq,
                                  uint16_t address, double seconds) {
    if (rq.size() != kGetRegisterWords) {
        return shortAnswer(frame::command::kGetRegister, frame::status::kOtherError);
    }
    if (!BoardModel::isRegister(address)) {
        return shortAnswer(frame::command::kGetRegister, frame::status::kUnknownAddress);
    }
    return answer(frame::command::kGetRegister, {}, model.readRegister(address, seconds),
                  frame::status::kOk);
}

std::vector<uint32_t> setBlock(BoardModel& model, std::span<const uint32_t> rq, uint16_t address) {
    const std::span<const uint32_t> data = rq.subspan(1, rq.size() - 2);
    if (data.empty()) return shortAnswer(frame::command::kSetBlock, frame::status::kOtherError);
    const int count = static_cast<int>(data.size());
    if (!BoardModel::cellsExist(address, count)) {
        return shortAnswer(frame::command::kSetBlock, frame::status::kUnknownAddress);
    }
    for (int i = 0; i < count; ++i) model.writeCell(static_cast<uint16_t>(address + i), data[i]);
    return shortAnswer(frame::command::kSetBlock, frame::status::kOk);
}

std::vector<uint32_t> getBlock(const BoardModel& model, std::span<const uint32_t> rq,
                               uint16_t address) {
    if (rq.size() != kGetBlockWords || rq[1] < 1 || rq[1] > frame::kMaxBlockWords) {
        return shortAnswer(frame::command::kGetBlock, frame::status::kOtherError);
    }
    const int count = static_cast<int>(rq[1]);
    std::vector<uint32_t> data(static_cast<std::size_t>(count), 0);
    if (!BoardModel::cellsExist(address, count)) {
        return answer(frame::command::kGetBlock, std::move(data), 0,
                      frame::status::kUnknownAddress);
    }
    for (int i = 0; i < count; ++i) data[i] = model.readCell(static_cast<uint16_t>(address + i));
    return answer(frame::command::kGetBlock, std::move(data), 0, frame::status::kOk);
}
}  // namespace

std::vector<uint32_t> answerRequest(BoardModel& model, std::span<const uint32_t> request,
                                    double seconds) {
    if (request.size() < static_cast<std::size_t>(frame::kMinWords)) return {};
    const uint8_t id = frame::commandOf(request[0]);
    if (!frame::checksumValid(request)) return shortAnswer(id, frame::status::kChecksumError);

    const uint16_t address = frame::payloadOf(request.back());
    switch (id) {
        case frame::command::kSetRegister:
            return setRegister(model, request, address, seconds);
        case frame::command::kGetRegister:
            return getRegister(model, request, address, seconds);
        case frame::command::kSetBlock:
            return setBlock(model, request, address);
        case frame::command::kGetBlock:
            return getBlock(model, request, address);
        default:
            return shortAnswer(id, frame::status::kUnknownCommand);
    }
}

}  // namespace boardsim
