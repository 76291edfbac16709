-- Settings kept per user: one user's layouts never change another's.

create table sys.t_user_attr (
    id_user integer not null references sys.t_user (id) on delete cascade,
    c_group text not null,
    c_key   text not null,
    c_value text,
    n_type  integer not null default 10,
    primary key (id_user, c_group, c_key)
);
