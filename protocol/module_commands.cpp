#include "protocol/module_commands.h"

const ModuleCommand* FindModuleCommand(int number) {
    for (const ModuleCommand& command : kModuleCommands)
        if (command.number == number) return &command;
    return nullptr;
}

const ModuleCommand* FindDatagramCommand(std::uint16_t code) {
    for (const ModuleCommand& command : kModuleCommands)
        if (command.format == CommandFormat::Datagram && command.code == code) return &command;
    return nullptr;
}

const ModuleCommand* FindFramedCommand(std::uint8_t operation, bool withData) {
    for (const ModuleCommand& command : kModuleCommands) {
        if (command.format != CommandFormat::Datagram && command.code == operation &&
            (command.maxData > 0) == withData)
            return &command;
    }
    return nullptr;
}
