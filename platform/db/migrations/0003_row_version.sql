-- Row versions: every table that an editor writes carries
--     n_row_version integer not null default 1
-- and this trigger, so that each stored change moves the version on:
--     create trigger t_row_version before update on <table>
--         for each row execute function sys.tg_row_version();
-- Update and delete scripts name the version they read
-- (where id = :id and n_row_version = :n_row_version); a writer holding a
-- stale row then affects no row, which the framework reports as a conflict
-- instead of overwriting a colleague's change.

create function sys.tg_row_version() returns trigger
    language plpgsql
as $$
begin
    new.n_row_version := old.n_row_version + 1;
    return new;
end
$$;
