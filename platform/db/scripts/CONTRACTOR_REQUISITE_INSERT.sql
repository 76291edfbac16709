insert into jur.t_contractor_requis (id_contractor, id_requisite, c_value)
values (:id_contractor, :id_requisite, btrim(:c_value))
returning id, id_contractor, id_requisite, c_value, n_row_version
