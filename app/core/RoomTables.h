#pragma once
// The rooms' tables.sql files as the build collected them (RoomTables.cpp is
// generated when the build is configured).

#include <vector>

namespace fd {

struct RoomTablesFile {
    const char* room;  // its folder under app/
    const char* sql;   // its text
};

const std::vector<RoomTablesFile>& roomTablesFiles();

}  // namespace fd
