-- Users, system attributes, named scripts, rights and the shell's panels.

create extension if not exists pgcrypto;

create schema if not exists sys;
create schema if not exists jur;
create schema if not exists dirs;
create schema if not exists lrg;
create schema if not exists inv;
create schema if not exists prod;

create table sys.t_sys_attr (
    c_attr  text primary key,
    c_value text
);

create table sys.t_user (
    id          serial primary key,
    c_name      text not null,
    c_login     text not null unique,
    c_pass_hash text not null,          -- bcrypt, never the password itself
    b_admin     boolean not null default false,
    b_blocked   boolean not null default false,
    d_created   timestamp not null default now()
);

create table sys.t_script (
    c_name    text primary key,
    c_text    text not null,
    d_changed timestamp not null default now()
);

create table sys.t_right (
    id       serial primary key,
    id_user  integer not null references sys.t_user (id) on delete cascade,
    c_action text not null,
    unique (id_user, c_action)
);

create table sys.t_panel (
    id        serial primary key,
    c_name    text not null,
    c_library text not null,
    c_caption text,
    n_order   integer not null default 0
);

-- The user the driver logged in, for scripts that keep data per user.
create function sys.current_user_id() returns integer
    language sql stable
as $$ select nullif(current_setting('workplace.user_id', true), '')::integer $$;

create function sys.hash_password(p_password text) returns text
    language sql volatile
as $$ select crypt(p_password, gen_salt('bf', 10)) $$;

insert into sys.t_user (c_name, c_login, c_pass_hash, b_admin)
values ('Администратор', 'admin', sys.hash_password('admin'), true);

insert into sys.t_sys_attr (c_attr, c_value) values
    ('FilePath', ''),
    ('FileHelpPath', ''),
    ('superAdminId', '1');
