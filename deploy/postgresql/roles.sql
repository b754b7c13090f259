-- Roles and database of the service, run once on the primary by a superuser:
--   psql -v ON_ERROR_STOP=1 -f roles.sql
-- Passwords are set afterwards (\password ROLE in psql) unless the
-- primary's pg_hba.conf authenticates otherwise.

-- Owns the tables: creates them (norda_admin init) and loads data.
CREATE ROLE norda_owner LOGIN;
-- The front servers' login: reads, and books usage; nothing else (grants.sql).
CREATE ROLE norda_server LOGIN;
-- The streaming replica's login.
CREATE ROLE norda_replication LOGIN REPLICATION;

-- Texts are UTF-8 and compare as bytes.
CREATE DATABASE norda OWNER norda_owner ENCODING 'UTF8' LOCALE 'C' TEMPLATE template0;
REVOKE ALL ON DATABASE norda FROM PUBLIC;
GRANT CONNECT ON DATABASE norda TO norda_server;
