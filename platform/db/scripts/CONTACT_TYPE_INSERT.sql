insert into jur.t_contact_type (c_name)
values (btrim(:c_name))
returning id, c_name, n_row_version
