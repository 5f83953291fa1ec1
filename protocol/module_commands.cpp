#include "protocol/module_commands.h"

namespace protocol {

const ModuleCommandRow* FindModuleCommand(int number) {
    for (const ModuleCommandRow& command : kModuleCommands)
        if (command.number == number) return &command;
    return nullptr;
}

const ModuleCommandRow* FindDatagramCommand(std::uint16_t code) {
    for (const ModuleCommandRow& command : kModuleCommands)
        if (command.format == CommandFormat::Datagram && command.code == code) return &command;
    return nullptr;
}

const ModuleCommandRow* FindFramedCommand(std::uint8_t operation, bool withData) {
    for (const ModuleCommandRow& command : kModuleCommands) {
        if (command.format != CommandFormat::Datagram && command.code == operation &&
            (command.maxData > 0) == withData)
            return &command;
    }
    return nullptr;
}

}  // namespace protocol
