insert into jur.t_requisites (c_name, c_description, c_sys_name)
values (btrim(:c_name), :c_description, upper(btrim(:c_sys_name)))
returning id, c_name, c_description, c_sys_name, b_not_delete, n_row_version
