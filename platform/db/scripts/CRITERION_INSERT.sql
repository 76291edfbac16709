insert into jur.t_criterion (c_name, n_weight, c_description)
values (btrim(:c_name), :n_weight, :c_description)
returning id, c_name, n_weight, c_description, n_row_version
