insert into jur.t_contact (id_contact_person, id_contact_type, c_contact)
values (:id_contact_person, :id_contact_type, btrim(:c_contact))
returning id, id_contact_person, id_contact_type, c_contact, n_row_version
