-- What the front servers may do in the database "norda", run by its owner
-- once the tables exist (after norda_admin init):
--   psql -v ON_ERROR_STOP=1 "host=PRIMARY user=norda_owner dbname=norda" -f grants.sql
-- They read the accounts and the observations, read the usage ledger and
-- add rows to it; they change and delete nothing.
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO norda_server;
GRANT SELECT ON client_mt, st_data_h, st_data_th, st_data_rh, st_data_j, st_data_t, st_data_n TO norda_server;
GRANT SELECT, INSERT ON fee_history_dt TO norda_server;
