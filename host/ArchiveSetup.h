#pragma once

// Setting up an archive database (--init-db): the tables and the schema version, on
// PostgreSQL also the schema "hsdw" and two roles, and optionally the demo data.
//
// PostgreSQL roles (NOLOGIN group roles; people log in as members of the operator role):
//   <prefix>_owner     owns the schema and its tables
//   <prefix>_operator  may select, insert, update and delete in tbHsdwda and select in
//                      tbzyda and tbxtcs, and nothing else
// The database's search_path is set to the schema, so statements name tables unqualified.

#include <string>

namespace host {

class Database;

inline constexpr const char* kArchiveSchema = "hsdw";
inline constexpr const char* kDefaultRolePrefix = "hsdw";

struct InitOptions {
    bool demo = false;                           // seed the demo data when the archive is empty
    std::string rolePrefix = kDefaultRolePrefix; // PostgreSQL role names
};

struct InitResult {
    int version = 0;
    bool seeded = false;
    std::string ownerRole;    // PostgreSQL only
    std::string operatorRole; // PostgreSQL only
};

// Whether `prefix` makes valid role names: a lower-case letter or "_", then lower-case
// letters, digits and "_", at most 40 characters.
bool isValidRolePrefix(const std::string& prefix);

// Creates what is missing (running it again changes nothing) in one transaction per step;
// EDatabaseError with the database's messages on failure. On PostgreSQL the connection
// must be an administrator's (superuser, or owner of the database with CREATEROLE).
InitResult initArchiveDatabase(Database& db, const InitOptions& options);

} // namespace host
