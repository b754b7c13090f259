-- What the front servers may do in the database "norda", run by its owner
-- once the tables exist (after norda_admin init):
--   psql -v ON_ERROR_STOP=1 "host=PRIMARY user=norda_owner dbname=norda" -f grants.sql
-- Run it again after norda_admin upgrade when a later version added tables.
-- They read the accounts, the station list and the observations, read the
-- usage ledger and add rows to it, and keep the record of sign-ins (who
-- signed in from where, failures per address), which they add to, update
-- and trim, and the tally of rows delivered per client and day, which they
-- add to; they change nothing else.
REVOKE ALL ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO norda_server;
GRANT SELECT ON client_mt, block_mt, prefecture_mt, station_mt,
    st_data_h, st_data_th, st_data_rh, st_data_j, st_data_t, st_data_n TO norda_server;
GRANT SELECT, INSERT ON fee_history_dt TO norda_server;
GRANT SELECT, INSERT, UPDATE, DELETE ON sign_in_dt, sign_in_failure_dt TO norda_server;
GRANT SELECT, INSERT, UPDATE ON delivery_dt TO norda_server;
