-- Attachments: one record per distinct stored content, links from any owner
-- row to it, and the store of contents inside the database for clients that
-- cannot reach the storage directory.
--
-- A content is shared by every owner that attached the same bytes. It is
-- recognised by CRC-32, size and SHA-256 together: a CRC alone is easy to
-- collide, and a collision must never make one owner's file another's.

create table lrg.t_file (
    id            bigserial primary key,
    c_file        text not null,          -- the name the bytes are kept under, unique
    c_comment     text not null default '',
    n_crc         bigint not null check (n_crc between 0 and 4294967295),
    n_size        bigint not null check (n_size >= 0),
    c_sha256      text check (c_sha256 ~ '^[0-9a-f]{64}$'), -- null only where the bytes were never seen
    id_creator    integer references sys.t_user (id) on delete set null,
    d_create      timestamp not null default now(),
    n_row_version integer not null default 1
);
-- Bytes are found by name in both stores, so a name may stand for one content only.
create unique index ux_file_name on lrg.t_file (c_file);
create index ix_file_crc on lrg.t_file (n_crc);

create trigger t_row_version before update on lrg.t_file
    for each row execute function sys.tg_row_version();

create table lrg.t_file_owner (
    id            bigserial primary key,
    -- No cascade: a file record goes away only when its last link is gone.
    id_file       bigint not null references lrg.t_file (id),
    c_table       text not null check (c_table <> ''),
    n_key         bigint not null,
    n_row_version integer not null default 1,
    unique (id_file, c_table, n_key)
);
create index ix_file_owner_owner on lrg.t_file_owner (c_table, n_key);

create trigger t_row_version before update on lrg.t_file_owner
    for each row execute function sys.tg_row_version();

-- Contents kept in the database. A retired content stays (d_retired set), the
-- way the storage directory keeps retired files in its DELETE folder.
create table lrg.t_file_bytea (
    id        bigserial primary key,
    c_file    text not null,
    b_help    boolean not null default false,
    bl_file   bytea not null,
    d_create  timestamp not null default now(),
    d_retired timestamp
);
create unique index ux_file_bytea_live on lrg.t_file_bytea (c_file, b_help) where d_retired is null;

-- What the uses of a file show: a description of each kind of owner and the
-- query that names one owner row ($1 is its key). A module whose owner table
-- lives elsewhere updates its row here; a query over a table that does not
-- exist yet simply names nothing.
create table lrg.t_file_owner_kind (
    c_table       text primary key,
    c_description text not null,
    c_name_query  text
);

insert into lrg.t_file_owner_kind (c_table, c_description, c_name_query) values
    ('t_item_family', 'Семейство', 'select c_name from inv.t_item_family where id = $1'),
    ('t_product_version', 'Версия изделия', 'select inv.c_full_version_name($1)'),
    ('t_product', 'Изделие', 'select c_name from inv.t_product where id = $1'),
    ('t_process_technology', 'Техпроцесс', 'select c_name from prod.t_process_technology where id = $1'),
    ('t_store_sheet', 'Прием', 'select d.c_name from inv.t_store_sheet s join sys.t_docs d on d.id = s.id_doc where s.id = $1'),
    ('t_store_move', 'Перемещение', 'select d.c_name from inv.t_store_move s join sys.t_docs d on d.id = s.id_doc where s.id = $1'),
    ('t_account_bill', 'Закупка', 'select d.c_name from jur.t_account_bill s join sys.t_docs d on d.id = s.id_doc where s.id = $1'),
    ('t_process_exam', 'Дефект', 'select d.c_name from prod.t_process_exam s join sys.t_docs d on d.id = s.id_doc where s.id = $1'),
    ('t_deal', 'Сделка', 'select c_name from jur.t_deals where id = $1'),
    ('t_deal_detail', 'Детали сделки', 'select d.c_name from jur.t_deal_details s join jur.t_deals d on d.id = s.id_deal where s.id = $1'),
    ('t_production_group_content', 'Готовая продукция', 'select d.c_name from prod.t_production_group_content s join sys.t_docs d on d.id = s.id_doc where s.id = $1'),
    ('t_docs', 'Документы', null),
    ('t_training', 'Обучение', 'select c_reason from sys.t_training where id = $1'),
    ('t_firmware', 'Прошивка', null),
    ('t_contractor', 'Контрагент', 'select c_name from jur.t_contractor where id = $1'),
    ('t_equipment_repair', 'Ремонт оборудования', 'select e.c_tab_number from prod.t_equipment_repair r join prod.t_equipment e on e.id = r.id_equipment where r.id = $1'),
    ('t_customer_appeal', 'Обращение клиентов', null);

create function lrg.c_file_owner_name(p_table text, p_key bigint) returns text
    language plpgsql stable
as $$
declare
    v_query text;
    v_name  text;
begin
    select k.c_name_query into v_query from lrg.t_file_owner_kind k where k.c_table = p_table;
    if v_query is null then
        return null;
    end if;
    begin
        execute v_query into v_name using p_key;
    exception when undefined_table or undefined_column or undefined_function or invalid_schema_name then
        return null;
    end;
    return v_name;
end
$$;

-- Every use of a file: which owner, what kind of owner, and its name.
create function lrg.file_use(p_id bigint)
    returns table (c_table text, n_key bigint, c_description text, c_name text)
    language sql stable
as $$
    select o.c_table, o.n_key, coalesce(k.c_description, ''), coalesce(lrg.c_file_owner_name(o.c_table, o.n_key), '')
      from lrg.t_file_owner o
      left join lrg.t_file_owner_kind k on k.c_table = o.c_table
     where o.id_file = p_id
     order by o.c_table, o.n_key
$$;

-- The attachment rows of the client, one shape for select, insert and update.
create view lrg.v_file_owner as
select f.c_comment, f.c_file, f.n_size, f.id_creator, f.id, f.n_crc,
       o.c_table, o.n_key, f.n_row_version, f.c_sha256, f.d_create, o.id as id_link
  from lrg.t_file_owner o
  join lrg.t_file f on f.id = o.id_file;

create function lrg.bl_get_file(p_name text, p_help boolean) returns bytea
    language sql stable
as $$
    select b.bl_file from lrg.t_file_bytea b
     where b.c_file = p_name and b.b_help = coalesce(p_help, false) and b.d_retired is null
$$;

-- Stores bytes under a name unless the name already holds bytes. True when
-- the name now holds exactly these bytes (stored now or before), false when it
-- holds other bytes: those are never replaced here, the caller picks another name.
create function lrg.b_file_bytea_insert(p_name text, p_bytes bytea, p_help boolean) returns boolean
    language plpgsql
as $$
begin
    if p_name is null or p_name = '' or p_bytes is null then
        return false;
    end if;
    insert into lrg.t_file_bytea (c_file, b_help, bl_file)
    values (p_name, coalesce(p_help, false), p_bytes)
    on conflict (c_file, b_help) where d_retired is null do nothing;
    return exists (select 1 from lrg.t_file_bytea b
                    where b.c_file = p_name and b.b_help = coalesce(p_help, false)
                      and b.d_retired is null and b.bl_file = p_bytes);
end
$$;

-- Retires the bytes kept in the database under a name; they stay for recovery.
create function lrg.v_file_bytea_retire(p_name text, p_help boolean) returns void
    language sql
as $$
    update lrg.t_file_bytea set d_retired = now()
     where c_file = p_name and b_help = coalesce(p_help, false) and d_retired is null
$$;

-- Drops a file record that no owner links any more, with its bytes in the database.
create function lrg.v_file_try_delete(p_user integer, p_id bigint) returns void
    language plpgsql
as $$
declare
    v_name text;
begin
    -- Serialises with a link being added to the same file at the same moment.
    select f.c_file into v_name from lrg.t_file f where f.id = p_id for update;
    if v_name is null or exists (select 1 from lrg.t_file_owner o where o.id_file = p_id) then
        return;
    end if;
    delete from lrg.t_file where id = p_id;
    perform lrg.v_file_bytea_retire(v_name, false);
    raise debug 'file % (%) retired by user %', p_id, v_name, p_user;
end
$$;

-- Links an owner to a stored file; linking twice is harmless.
create function lrg.v_file_owner_copy(p_table text, p_key bigint, p_id bigint) returns void
    language plpgsql
as $$
begin
    perform 1 from lrg.t_file f where f.id = p_id for share;
    if not found then
        raise exception 'Файл с кодом % больше не хранится', p_id;
    end if;
    insert into lrg.t_file_owner (id_file, c_table, n_key) values (p_id, p_table, p_key)
    on conflict (id_file, c_table, n_key) do nothing;
end
$$;

-- Inserting an attachment row. A row with the id of a stored file is a link
-- to it. Otherwise the row brings new content, whose bytes the client has put
-- into a store under c_file beforehand: a record is made for it, unless the
-- same content has been recorded meanwhile (by a colleague, or by another row
-- of the same save), which is then linked instead. A name already recorded
-- for other content fails the insert, so the whole save fails and nothing is
-- recorded against bytes that are not the ones stored under that name.
create function lrg.file_owner_insert(p_table text, p_key bigint, p_id bigint, p_file text, p_comment text,
                                      p_crc bigint, p_size bigint, p_bytes bytea, p_sha256 text)
    returns setof lrg.v_file_owner
    language plpgsql
as $$
declare
    v_id  bigint;
    v_sha text := coalesce(nullif(p_sha256, ''), encode(sha256(p_bytes), 'hex'));
begin
    if p_table is null or p_table = '' or p_key is null then
        raise exception 'Не задан владелец вложения %', p_file;
    end if;
    if p_id is not null and p_id > 0 then
        perform lrg.v_file_owner_copy(p_table, p_key, p_id);
        v_id := p_id;
    else
        if v_sha is not null then
            select f.id into v_id from lrg.t_file f
             where f.n_crc = p_crc and f.n_size = p_size and f.c_sha256 = v_sha
             order by f.id limit 1;
        end if;
        if v_id is null then
            begin
                insert into lrg.t_file (c_file, c_comment, n_crc, n_size, c_sha256, id_creator)
                values (p_file, coalesce(p_comment, ''), p_crc, p_size, v_sha, sys.current_user_id())
                returning id into v_id;
            exception when unique_violation then
                raise exception 'Имя файла % уже занято другим файлом', p_file
                    using errcode = 'unique_violation';
            end;
        end if;
        insert into lrg.t_file_owner (id_file, c_table, n_key) values (v_id, p_table, p_key)
        on conflict (id_file, c_table, n_key) do nothing;
    end if;
    return query select * from lrg.v_file_owner v where v.id = v_id and v.c_table = p_table and v.n_key = p_key;
end
$$;

-- A changed description. The description belongs to the file record, so the
-- record's version is the one compared: no row comes back when it moved on.
create function lrg.file_owner_update(p_id bigint, p_comment text, p_version integer, p_table text, p_key bigint)
    returns setof lrg.v_file_owner
    language plpgsql
as $$
begin
    update lrg.t_file set c_comment = coalesce(p_comment, '')
     where id = p_id and n_row_version = p_version;
    if not found then
        return;
    end if;
    return query select * from lrg.v_file_owner v where v.id = p_id and v.c_table = p_table and v.n_key = p_key;
end
$$;

-- Removes one owner's link, and the file record with it when nobody else
-- links the file. No row comes back when the link is gone or the record
-- changed since the client read it.
create function lrg.file_owner_delete(p_id bigint, p_table text, p_key bigint, p_version integer)
    returns table (id_file bigint)
    language plpgsql
as $$
#variable_conflict use_column
begin
    delete from lrg.t_file_owner o
     using lrg.t_file f
     where o.id_file = p_id and o.c_table = p_table and o.n_key = p_key
       and f.id = o.id_file and f.n_row_version = p_version;
    if not found then
        return;
    end if;
    perform lrg.v_file_try_delete(sys.current_user_id(), p_id);
    return query select p_id;
end
$$;

-- Moves one owner's link from a file to another stored file with the same
-- content, then drops the old record if that was its last use.
create function lrg.v_file_owner_relink(p_old bigint, p_new bigint, p_table text, p_key bigint) returns void
    language plpgsql
as $$
begin
    if exists (select 1 from lrg.t_file_owner o where o.id_file = p_new and o.c_table = p_table and o.n_key = p_key) then
        delete from lrg.t_file_owner where id_file = p_old and c_table = p_table and n_key = p_key;
    else
        update lrg.t_file_owner set id_file = p_new
         where id_file = p_old and c_table = p_table and n_key = p_key;
    end if;
    perform lrg.v_file_try_delete(sys.current_user_id(), p_old);
end
$$;

-- Records imported with their bytes in the database get their hash here; for
-- files that live only in the storage directory the client compares bytes.
create function lrg.v_file_fill_hashes() returns void
    language sql
as $$
    update lrg.t_file f set c_sha256 = encode(sha256(b.bl_file), 'hex')
      from lrg.t_file_bytea b
     where f.c_sha256 is null and b.c_file = f.c_file and not b.b_help and b.d_retired is null
       and length(b.bl_file) = f.n_size
$$;

select lrg.v_file_fill_hashes();

-- Puts new bytes under a name that holds others, in one step: the old ones
-- are retired, never lost.
create function lrg.b_file_bytea_replace(p_name text, p_bytes bytea, p_help boolean) returns boolean
    language plpgsql
as $$
begin
    if p_name is null or p_name = '' or p_bytes is null then
        return false;
    end if;
    perform lrg.v_file_bytea_retire(p_name, p_help);
    insert into lrg.t_file_bytea (c_file, b_help, bl_file) values (p_name, coalesce(p_help, false), p_bytes);
    return true;
end
$$;

-- A file record gets new content (a replaced file). When the name changes,
-- bytes the database kept under the old name are retired with it; the client
-- retires the old name's file in the storage directory. No row comes back
-- when the record changed since the client read it.
create function lrg.file_replace(p_name text, p_comment text, p_crc bigint, p_size bigint, p_sha256 text,
                                 p_id bigint, p_version integer)
    returns setof lrg.t_file
    language plpgsql
as $$
declare
    v_old text;
begin
    select f.c_file into v_old from lrg.t_file f where f.id = p_id and f.n_row_version = p_version for update;
    if v_old is null then
        return;
    end if;
    update lrg.t_file
       set id_creator = sys.current_user_id(), c_file = p_name, c_comment = coalesce(p_comment, ''),
           n_crc = p_crc, n_size = p_size, c_sha256 = p_sha256, d_create = now()
     where id = p_id;
    if v_old <> p_name then
        perform lrg.v_file_bytea_retire(v_old, false);
    end if;
    return query select * from lrg.t_file f where f.id = p_id;
end
$$;
