-- The item catalogue: measure units, item classes, nested item types,
-- families under types and items under families; products and their
-- versions mark which families and items the company makes itself.

create table dirs.t_meas_unit (
    id           serial primary key,
    c_name       text not null unique,      -- "Штука", shown in pickers
    c_short_name text not null,             -- "шт", printed in documents
    c_okei_code  text,                      -- all-Russian classifier code, "796"
    -- Decimals a quantity in this unit is entered with: 0 for pieces, 3 for kilograms.
    n_precission integer not null default 0 check (n_precission between 0 and 6)
);

create table dirs.t_item_class (
    id         serial primary key,
    c_name     text not null unique,
    c_sys_name text not null unique
);

create table dirs.t_item_type (
    id        bigserial primary key,
    id_parent bigint references dirs.t_item_type (id),
    c_name    text not null check (btrim(c_name) <> ''),
    id_class  integer references dirs.t_item_class (id),
    check (id_parent is distinct from id)
);
create index t_item_type_parent_idx on dirs.t_item_type (id_parent);

create table dirs.t_item_family (
    id            bigserial primary key,
    id_type       bigint not null references dirs.t_item_type (id),
    c_name        text not null check (btrim(c_name) <> ''),
    id_meas_unit  integer references dirs.t_meas_unit (id),
    n_reject_rate double precision not null default 0 check (n_reject_rate >= 0),
    c_comment     text,
    c_color       text,
    n_row_version integer not null default 1
);
-- The trees refuse a second family or item of the same name; the indexes
-- keep two users adding one at the same moment from both succeeding.
create unique index t_item_family_name_idx on dirs.t_item_family (c_name);
create index t_item_family_type_idx on dirs.t_item_family (id_type);
create trigger t_row_version before update on dirs.t_item_family
    for each row execute function sys.tg_row_version();

create table dirs.t_item (
    id             bigserial primary key,
    id_item_family bigint not null references dirs.t_item_family (id),
    c_name         text not null check (btrim(c_name) <> ''),
    b_is_confirmed boolean not null default false,  -- checked by the catalogue keeper
    b_is_from1c    boolean not null default false,  -- came from the accounting system
    id_meas_unit   integer references dirs.t_meas_unit (id),
    n_volume       double precision not null default 0,
    n_row_version  integer not null default 1
);
create unique index t_item_name_idx on dirs.t_item (c_name);
create index t_item_family_idx on dirs.t_item (id_item_family);
create trigger t_row_version before update on dirs.t_item
    for each row execute function sys.tg_row_version();

-- Families and items as the trees read them: with the name of their unit.
-- A null argument reads all of them.
create function dirs.t_item_family_select(p_id_type bigint)
    returns table (id bigint, id_type bigint, c_name text, id_meas_unit integer, c_meas_unit text,
                   n_reject_rate double precision, c_comment text, c_color text, n_row_version integer)
    language sql stable
as $$
    select f.id, f.id_type, f.c_name, f.id_meas_unit, u.c_name, f.n_reject_rate, f.c_comment, f.c_color,
           f.n_row_version
      from dirs.t_item_family f
      left join dirs.t_meas_unit u on u.id = f.id_meas_unit
     where p_id_type is null or f.id_type = p_id_type
$$;

create function dirs.t_item_select(p_id_item_family bigint)
    returns table (id bigint, id_item_family bigint, c_name text, b_is_confirmed boolean, b_is_from1c boolean,
                   id_meas_unit integer, c_meas_unit text, n_volume double precision, n_row_version integer)
    language sql stable
as $$
    select i.id, i.id_item_family, i.c_name, i.b_is_confirmed, i.b_is_from1c, i.id_meas_unit, u.c_name,
           i.n_volume, i.n_row_version
      from dirs.t_item i
      left join dirs.t_meas_unit u on u.id = i.id_meas_unit
     where p_id_item_family is null or i.id_item_family = p_id_item_family
$$;

-- What the company makes: a product is a family, each of its versions an item.
-- One live product per family and one live version per item, so that the
-- product trees never list a family or an item twice.
create table inv.t_product (
    id             bigserial primary key,
    id_item_family bigint not null references dirs.t_item_family (id),
    c_name         text not null,
    b_is_del       boolean not null default false
);
create unique index t_product_family_idx on inv.t_product (id_item_family) where not b_is_del;

create table inv.t_product_version (
    id           bigserial primary key,
    id_product   bigint not null references inv.t_product (id),
    id_item      bigint not null references dirs.t_item (id),
    c_version    text not null,
    b_is_del     boolean not null default false,
    b_is_not_use boolean not null default false  -- kept for history, no longer made
);
create unique index t_product_version_item_idx on inv.t_product_version (id_item) where not b_is_del;
create index t_product_version_product_idx on inv.t_product_version (id_product);
