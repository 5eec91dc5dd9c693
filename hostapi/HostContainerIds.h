// Ids of the host's containers that plugins look up. They are part of the contract with the
// host: a container registered under one of these ids is of the type named here.
#pragma once

#include "platform/Platform.h"

namespace qrn {

// The host container under which plugin modules install their containers.
inline constexpr GUID kPluginParentID = {0x95C395B2, 0x99B3, 0x4ABB, {0xBD, 0xFE, 0x55, 0x23, 0xBE, 0x8C, 0xDD, 0xB6}};
// qrn::IGameServerClient, the connection to the game server.
inline constexpr GUID kGameServerClientID = {0xDBA482BF, 0xAD45, 0x4333, {0x8A, 0x8D, 0x99, 0x92, 0xA7, 0xA2, 0x7D, 0x18}};
// qrn::IRoleSystem, the roles the client acts for.
inline constexpr GUID kRoleSystemID = {0x90B07DFB, 0x05E6, 0x4220, {0xB4, 0x61, 0x2B, 0x0A, 0xF7, 0x1B, 0x21, 0x85}};

}  // namespace qrn
